// Speed of the colour reduction on real captures: every PNG in the folder
// named by SLIDEWRIGHT_CAPTURES (made by capture_quality.sh), reduced to
// 256 and to 16 colours.
#include "capture/MPIC_256GEN.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>

#include <cstdlib>

namespace {

void Reduce(benchmark::State& state, const QImage& picture, int colours) {
    for (auto _ : state) {
        auto reduced = MPIC_256GEN::ReduceBitmapColours(picture, colours);
        benchmark::DoNotOptimize(reduced);
    }
    state.SetLabel(
        QStringLiteral("%1x%2").arg(picture.width()).arg(picture.height()).toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    const char* folder = std::getenv("SLIDEWRIGHT_CAPTURES");
    if (folder == nullptr) {
        std::fprintf(stderr,
                     "set SLIDEWRIGHT_CAPTURES to a folder of captures (bench/capture_quality.sh "
                     "makes one)\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(folder));
    for (const QString& name : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        const QImage picture = QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
        if (picture.isNull()) {
            continue;
        }
        for (int colours : {256, 16}) {
            benchmark::RegisterBenchmark(
                QStringLiteral("Reduce/%1/%2").arg(name).arg(colours).toStdString().c_str(),
                [picture, colours](benchmark::State& state) { Reduce(state, picture, colours); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
