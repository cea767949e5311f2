// Saving a movie of 100 frames of 1920x1080 desktops with a photograph as
// wallpaper under program windows into a package, as the editor's save
// does: script first, then every picture, one archiver call each through
// the loaded library, on every core, with the application's events running.
#include "bench/BenchCorpus.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PackageSave.h"
#include "moviefile/ParallelStore.h"

#include <benchmark/benchmark.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kFrames = 100;

void BM_SaveHundredFrames(benchmark::State& state) {
    std::vector<std::filesystem::path> captures;
    for (const auto& path : BenchCorpus::PicturesSized(1920, 1080)) {
        if (path.filename().string().starts_with("desktop-")) {
            captures.push_back(path);
        }
    }
    if (captures.empty()) {
        BenchCorpus::ReportMissing("bench_save_package", "1920x1080 desktop-* captures");
        state.SkipWithError("no corpus");
        return;
    }
    QTemporaryDir work;
    QTemporaryDir target;
    MovieDoc doc;
    qint64 bytes = 0;
    for (int k = 1; k <= kFrames; ++k) {
        const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
        const QString source = QString::fromStdString(captures[k % captures.size()].string());
        QFile::copy(source, QDir(work.path()).filePath(name));
        bytes += QFileInfo(QDir(work.path()).filePath(name)).size();
        doc.frames[k] = FrameEntry{true, name, 2000, {}};
    }
    const QString package = QDir(target.path()).filePath(QStringLiteral("movie.sdw"));
    int lastPercent = 0;
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    for (auto _ : state) {
        const auto result = PackageSave::SavePackage(
            doc, work.path(), package, kFrames, MovieScript::ScriptSettings{},
            [&](int percent) { lastPercent = percent; }, target.path());
        if (!result.saved || lastPercent != 100) {
            state.SkipWithError("the save failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["package_MB"] = QFileInfo(package).size() / 1e6;
    state.counters["workers"] = ParallelStore::workerCount();
    // Every thread's time: on a shared machine the wall clock says more
    // about the other work than about the save.
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6;
    };
    state.counters["cpu_s_all_threads"] = seconds(after.ru_utime) + seconds(after.ru_stime) -
                                          seconds(before.ru_utime) - seconds(before.ru_stime);
}
BENCHMARK(BM_SaveHundredFrames)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (!ArchiverLibrary::load(SLIDEWRIGHT_ARCHIVER)) {
        std::fprintf(stderr, "bench_save_package: cannot load %s\n", SLIDEWRIGHT_ARCHIVER);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
