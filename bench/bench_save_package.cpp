// Saving a movie of 100 frames of 1920x1080 screen captures into a package,
// as the editor's save does: script first, then every picture, one archiver
// call each through the loaded library.
#include "bench/BenchCorpus.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PackageSave.h"
#include "moviefile/WorkFolder.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kFrames = 100;

void BM_SaveHundredFrames(benchmark::State& state) {
    const auto captures = BenchCorpus::PicturesSized(1920, 1080);
    if (captures.empty()) {
        BenchCorpus::ReportMissing("bench_save_package", "1920x1080 captures");
        state.SkipWithError("no corpus");
        return;
    }
    QTemporaryDir work;
    QTemporaryDir target;
    WorkFolder::setPath(work.path());
    MovieDoc& doc = movieDoc();
    doc.resetFrames(MovieDoc::kEditorSlots);
    qint64 bytes = 0;
    for (int k = 1; k <= kFrames; ++k) {
        const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
        const QString source = QString::fromStdString(captures[k % captures.size()].string());
        QFile::copy(source, WorkFolder::filePath(name));
        bytes += QFileInfo(WorkFolder::filePath(name)).size();
        doc.frames[k] = FrameEntry{true, name, 2000, {}};
    }
    const QString package = QDir(target.path()).filePath(QStringLiteral("movie.sdw"));
    int lastPercent = 0;
    for (auto _ : state) {
        const auto result = PackageSave::SavePackage(
            package, kFrames, MovieScript::ScriptSettings{},
            [&](int percent) { lastPercent = percent; }, target.path());
        if (!result.saved || lastPercent != 100) {
            state.SkipWithError("the save failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["package_MB"] = QFileInfo(package).size() / 1e6;
}
BENCHMARK(BM_SaveHundredFrames)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!ArchiverLibrary::load(SLIDEWRIGHT_ARCHIVER)) {
        std::fprintf(stderr, "bench_save_package: cannot load %s\n", SLIDEWRIGHT_ARCHIVER);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
