// How long the player takes from a frame tick to the next 1920x1080 picture
// painted in its window, over a movie played as users play them: captures
// of the corpus (bench/BenchCorpus.h), 200 ms waits, automatic mode. It
// prints the median, the 95th percentile and the worst tick, and the peak
// memory the player added while playing. Also each step of a frame alone.
//   build/bin/bench_player_frame   (runs offscreen unless a display is chosen)
#include "bench/BenchCorpus.h"
#include "common/ProgramEnd.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"
#include "player/frmMovie.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kFrames = 12;
constexpr int kWaitMs = 200;

// The package of kFrames captures, made once through the program's archiver.
struct Movie {
    QTemporaryDir folder;
    QString package;
    QString firstPicture;
    bool ready = false;

    Movie() {
        const auto captures = BenchCorpus::PicturesSized(1920, 1080);
        if (captures.size() < 4) {
            BenchCorpus::ReportMissing("bench_player_frame", "four 1920x1080 captures");
            return;
        }
        package = QDir(folder.path()).filePath(QStringLiteral("bench.sdw"));
        const QString library = QCoreApplication::applicationDirPath() + "/libunlha32.so";
        if (!ArchiverLibrary::load(library.toStdString())) {
            std::fprintf(stderr, "bench_player_frame: no archiver at %s\n", qPrintable(library));
            return;
        }
        QByteArray script = "VER,03.01\r\nMAX," + QByteArray::number(kFrames) +
                            "\r\nLOOP,0\r\nJIDOU,1\r\nLOOPWAIT,10\r\nOPTEND,START\r\n";
        QStringList members{QStringLiteral("Slidewright.ini")};
        for (int k = 1; k <= kFrames; ++k) {
            const QByteArray number = QByteArray::number(k).rightJustified(3, '0');
            const QString name = QStringLiteral("SW%1.bmp").arg(QString::fromLatin1(number));
            const auto& capture = captures[static_cast<size_t>(k - 1) % captures.size()];
            QFile::copy(QString::fromStdString(capture.string()),
                        QDir(folder.path()).filePath(name));
            script += "NAME," + number + "," + name.toLatin1() + "\r\nWAIT," + number + "," +
                      QByteArray::number(kWaitMs) + "\r\nSOUND," + number + ",\r\n";
            members << name;
        }
        firstPicture = QDir(folder.path()).filePath(members[1]);
        script += "END,END,END\r\n";
        QFile file(QDir(folder.path()).filePath(members[0]));
        file.open(QIODevice::WriteOnly);
        file.write(script);
        file.close();
        bool startNew = true;
        for (const QString& member : members) {
            if (MLha::StoreInPackage(package, QDir(folder.path()).filePath(member), startNew) !=
                0) {
                std::fprintf(stderr, "bench_player_frame: the archiver cannot store members\n");
                return;
            }
            startNew = false;
        }
        ready = true;
    }
};

Movie& movie() {
    static Movie instance;
    return instance;
}

// Kilobytes of /proc/self/status's line `key`.
long statusKilobytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return -1;
}

// Starts the peak of the resident memory afresh (Linux 4.0 and later).
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Sees the frame timer's tick before the player handles it.
class TickClock : public QObject {
public:
    QElapsedTimer clock;
    qint64 tickAt = -1;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer) {
            tickAt = clock.nsecsElapsed();
        }
        return false;
    }
};

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

// One run of the whole movie per iteration, from the package on the command
// line to the end of the program after the last frame.
void BM_PlayMovie(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError("no package to play");
        return;
    }
    std::vector<double> ticks;
    long peakAbove = 0;
    for (auto _ : state) {
        bool ended = false;
        ProgramEnd::setHandler([&](int) { ended = true; });
        const long before = statusKilobytes("VmRSS");
        resetPeakMemory();
        CommandLine::set(movie().package);
        MovieDoc doc;
        auto player =
            std::make_unique<frmMovie>(doc, WorkFolder::privateFolder().value_or(QString()), false);
        if (!player->Form_Load()) {
            state.SkipWithError("the player could not load the package");
            break;
        }
        player->show();
        TickClock tick;
        tick.clock.start();
        player->findChild<QTimer*>(QStringLiteral("tmrMain"))->installEventFilter(&tick);
        QObject::connect(player.get(), &frmMovie::frameShown, [&](int) {
            // On screen: painted into the window's buffer and handed on.
            player->repaint();
            if (tick.tickAt >= 0) {
                ticks.push_back(static_cast<double>(tick.clock.nsecsElapsed() - tick.tickAt) / 1e6);
            }
            tick.tickAt = -1;
        });
        while (!ended) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        peakAbove = std::max(peakAbove, statusKilobytes("VmHWM") - before);
        player.reset();
        QCoreApplication::processEvents();
    }
    if (ticks.empty()) {
        return;
    }
    state.counters["tick_p50_ms"] = percentile(ticks, 0.50);
    state.counters["tick_p95_ms"] = percentile(ticks, 0.95);
    state.counters["tick_max_ms"] = percentile(ticks, 1.0);
    state.counters["ticks"] = static_cast<double>(ticks.size());
    state.counters["peak_MB"] = static_cast<double>(peakAbove) / 1024.0;
}
BENCHMARK(BM_PlayMovie)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);

void BM_ExtractFramePicture(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError("no package to play");
        return;
    }
    QTemporaryDir into;
    for (auto _ : state) {
        if (MLha::ExtractFromPackage(movie().package, into.path(), "\"SW002.bmp\"") != 0) {
            state.SkipWithError("extraction failed");
            break;
        }
    }
}
BENCHMARK(BM_ExtractFramePicture)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the player adds before each extraction: listing the package and
// reading the picture's header to weigh the frame's members.
void BM_WeighFrameMembers(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError("no package to play");
        return;
    }
    QTemporaryDir into;
    for (auto _ : state) {
        if (!ExtractionCheck::Check(movie().package, {QStringLiteral("SW002.bmp")}, into.path())
                 .ok()) {
            state.SkipWithError("the frame was refused");
            break;
        }
    }
}
BENCHMARK(BM_WeighFrameMembers)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_LoadFrameBitmap(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError("no package to play");
        return;
    }
    for (auto _ : state) {
        QImage image(movie().firstPicture);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_LoadFrameBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    movie();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    WorkFolder::removePrivateFolder();
    return 0;
}
