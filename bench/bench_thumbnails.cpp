// A page of the editor shows ten thumbnails. Redrawing it must take well under
// 150 ms with ten 1920x1080 24-bit captures, and turning back to a page must
// be near instant.
//
// The captures come from $SLIDEWRIGHT_BENCH_PICTURES when it names a folder
// of SW001.bmp ... SW010.bmp; otherwise make_screen_captures.sh makes real
// ones under a private X server, and without one the page is synthetic.
#include "editor/frames/MPicSizeChg.h"
#include "editor/frames/ThumbnailCache.h"

#include <benchmark/benchmark.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

constexpr int kRows = 10;

QStringList& pagePictures() {
    static QStringList pictures;
    return pictures;
}

QStringList picturesIn(const QString& folder) {
    QStringList pictures;
    for (int n = 1; n <= kRows; ++n) {
        const QString path = folder + QStringLiteral("/SW%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
        if (!QFile::exists(path)) {
            return {};
        }
        pictures << path;
    }
    return pictures;
}

QStringList syntheticPictures(const QString& folder) {
    QStringList pictures;
    for (int n = 1; n <= kRows; ++n) {
        QImage image(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                line[x] = qRgb((x + n * 30) & 0xff, (y * 3) & 0xff, ((x ^ y) + n) & 0xff);
            }
        }
        const QString path = folder + QStringLiteral("/SW%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
        image.save(path, "BMP");
        pictures << path;
    }
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
    std::unique_ptr<QTemporaryDir> made;
    const QString given = qEnvironmentVariable("SLIDEWRIGHT_BENCH_PICTURES");
    if (!given.isEmpty()) {
        pagePictures() = picturesIn(given);
    }
    if (pagePictures().isEmpty()) {
        made = std::make_unique<QTemporaryDir>();
        const int result = QProcess::execute(QStringLiteral(SLIDEWRIGHT_CAPTURE_SCRIPT),
                                             {made->path(), QString::number(kRows)});
        pagePictures() = result == 0 ? picturesIn(made->path()) : QStringList{};
        if (pagePictures().isEmpty()) {
            std::fprintf(stderr, "bench_thumbnails: no X server for captures, synthetic page\n");
            pagePictures() = syntheticPictures(made->path());
        } else {
            std::fprintf(stderr, "bench_thumbnails: real screen captures in %s\n",
                         qPrintable(made->path()));
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
