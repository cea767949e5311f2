// Speed of the colour reduction on real captures: every picture of the
// corpus (see bench/BenchCorpus.h), reduced to 256 and to 16 colours.
#include "bench/BenchCorpus.h"
#include "capture/MPIC_256GEN.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QString>

#include <filesystem>
#include <string>

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
    benchmark::Initialize(&argc, argv);
    int registered = 0;
    for (const std::filesystem::path& path : BenchCorpus::Pictures()) {
        const QImage picture =
            QImage(QFile::decodeName(path.c_str())).convertToFormat(QImage::Format_RGB32);
        if (picture.isNull()) {
            continue;
        }
        const std::string name = path.stem().string();
        for (int colours : {256, 16}) {
            benchmark::RegisterBenchmark(
                ("Reduce/" + name + "/" + std::to_string(colours)).c_str(),
                [picture, colours](benchmark::State& state) { Reduce(state, picture, colours); })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        ++registered;
    }
    if (registered == 0) {
        BenchCorpus::ReportMissing("bench_colour_reduction", "any .bmp screen capture");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
