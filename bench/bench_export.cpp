// Exporting a movie of 100 frames of 1920x1080 screen captures, a second
// each, from its package to MP4 and to an animated GIF, as
// `slidewright --export` does. Each export runs in a child process, so that
// its peak memory is its own.
#include "bench/BenchCorpus.h"
#include "export/ExportPackage.h"
#include "export/MovieExporter.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PackageSave.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>

namespace {

constexpr int kFrames = 100;

// The package every run exports, made once.
QString Package(QTemporaryDir& folder) {
    static QString made;
    if (!made.isEmpty()) {
        return made;
    }
    const auto captures = BenchCorpus::PicturesSized(1920, 1080);
    if (captures.empty()) {
        return {};
    }
    const QString work = QDir(folder.path()).filePath(QStringLiteral("work"));
    QDir().mkpath(work);
    MovieDoc doc;
    for (int k = 1; k <= kFrames; ++k) {
        const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
        QFile::copy(QString::fromStdString(captures[k % captures.size()].string()),
                    QDir(work).filePath(name));
        doc.frames[k] = FrameEntry{true, name, 1000, {}};
    }
    MovieScript::ScriptSettings settings;
    settings.advanceOption = 1;
    const QString package = QDir(folder.path()).filePath(QStringLiteral("movie.sdw"));
    if (!PackageSave::SavePackage(doc, work, package, kFrames, settings, {}, folder.path()).saved) {
        return {};
    }
    QDir(work).removeRecursively();
    made = package;
    return made;
}

void BM_ExportHundredFrames(benchmark::State& state, const char* extension) {
    static QTemporaryDir folder;
    const QString package = Package(folder);
    if (package.isEmpty()) {
        BenchCorpus::ReportMissing("bench_export", "1920x1080 captures");
        state.SkipWithError("no corpus");
        return;
    }
    const QString target = QDir(folder.path()).filePath(QStringLiteral("movie.") + extension);
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            const QString files = QDir(folder.path()).filePath(QStringLiteral("files"));
            QDir().mkpath(files);
            ExportResult result;
            const auto movie = ExportPackage::Open(package, files, result);
            if (movie) {
                result = MovieExporter::Export(*movie, target, {});
            }
            QDir(files).removeRecursively();
            _exit(result.ok() ? 0 : 1);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the export failed");
            return;
        }
        state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
        state.counters["cpu_s"] = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                                  usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    }
    state.counters["file_MB"] = QFileInfo(target).size() / 1e6;
}
BENCHMARK_CAPTURE(BM_ExportHundredFrames, mp4, "mp4")
    ->Unit(benchmark::kSecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ExportHundredFrames, webm, "webm")
    ->Unit(benchmark::kSecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_ExportHundredFrames, gif, "gif")
    ->Unit(benchmark::kSecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!ArchiverLibrary::load(SLIDEWRIGHT_ARCHIVER)) {
        std::fprintf(stderr, "bench_export: cannot load %s\n", SLIDEWRIGHT_ARCHIVER);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
