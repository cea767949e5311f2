// A page of the editor shows ten thumbnails. Redrawing it must take well under
// 150 ms with ten 1920x1080 24-bit captures, and turning back to a page must
// be near instant.
//
// The page is the first ten 1920x1080 captures of the corpus made by the
// bench_corpus target (see bench/BenchCorpus.h).
#include "bench/BenchCorpus.h"
#include "editor/frames/MPicSizeChg.h"
#include "editor/frames/ThumbnailCache.h"

#include <benchmark/benchmark.h>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>

namespace {

constexpr int kRows = 10;

QStringList& pagePictures() {
    static QStringList pictures;
    return pictures;
}

void BM_PageCold(benchmark::State& state) {
    const MPicSizeChg::TargetBox box;
    for (auto _ : state) {
        ThumbnailCache cache;  // nothing cached: every picture is read
        for (const QString& path : pagePictures()) {
            QPixmap shown = QPixmap::fromImage(cache.thumbnail(path, box));
            benchmark::DoNotOptimize(shown);
        }
    }
    state.SetLabel("10 pictures, fast BMP reader");
}
BENCHMARK(BM_PageCold)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PageCached(benchmark::State& state) {
    const MPicSizeChg::TargetBox box;
    ThumbnailCache cache;
    for (const QString& path : pagePictures()) {
        cache.thumbnail(path, box);
    }
    for (auto _ : state) {
        for (const QString& path : pagePictures()) {
            QPixmap shown = QPixmap::fromImage(cache.thumbnail(path, box));
            benchmark::DoNotOptimize(shown);
        }
    }
    state.SetLabel("10 pictures, paging back");
}
BENCHMARK(BM_PageCached)->Unit(benchmark::kMicrosecond);

// The same page read through Qt's own BMP reader, for comparison.
void BM_PageColdViaQt(benchmark::State& state) {
    const MPicSizeChg::TargetBox box;
    for (auto _ : state) {
        for (const QString& path : pagePictures()) {
            QImage made = MPicSizeChg::LoadThumbnail(path, box, false);
            benchmark::DoNotOptimize(made);
        }
    }
    state.SetLabel("10 pictures, Qt reader");
}
BENCHMARK(BM_PageColdViaQt)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const std::filesystem::path& path : BenchCorpus::PicturesSized(1920, 1080)) {
        if (pagePictures().size() < kRows) {
            pagePictures() << QString::fromStdString(path.string());
        }
    }
    if (pagePictures().size() < kRows) {
        BenchCorpus::ReportMissing("bench_thumbnails", "ten 1920x1080 captures");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
