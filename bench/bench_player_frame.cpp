// How long a 1920x1080 frame takes from the player's frame tick to its
// picture on screen: weighing and extraction from the package, loading the
// bitmap, sizing the window and painting it. Also each step alone.
//   build/bin/bench_player_frame   (runs offscreen unless a display is chosen)
#include "common/ProgramEnd.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PreviewMode.h"
#include "moviefile/WorkFolder.h"
#include "player/frmMovie.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

constexpr int kFrames = 4;

// Something like a screen capture: flat areas, edges and text, which
// compresses the way real captures do.
QImage screenLikePicture(int index) {
    QImage image(1920, 1080, QImage::Format_RGB888);
    image.fill(QColor(236, 239, 244));
    QPainter painter(&image);
    painter.fillRect(0, 0, 1920, 40, QColor(40, 60, 90 + 30 * index));
    painter.fillRect(0, 40, 260, 1040, QColor(250, 250, 250));
    for (int row = 0; row < 60; ++row) {
        painter.setPen(QColor(20 + row % 7 * 20, 30, 40));
        painter.drawText(
            300, 80 + row * 16,
            QStringLiteral("Frame %1 row %2: the quick brown fox jumps over").arg(index).arg(row));
    }
    for (int box = 0; box < 12; ++box) {
        painter.fillRect(1100 + (box % 3) * 260, 100 + (box / 3) * 230, 240, 200,
                         QColor::fromHsv((box * 30 + index * 50) % 360, 120, 230));
    }
    return image;
}

// The package of kFrames captures, made once through the program's archiver.
struct Movie {
    QTemporaryDir folder;
    QString package;
    bool ready = false;
    QString problem;

    Movie() {
        package = QDir(folder.path()).filePath(QStringLiteral("bench.sdw"));
        const QString library = QCoreApplication::applicationDirPath() + "/libunlha32.so";
        if (!ArchiverLibrary::load(library.toStdString())) {
            problem = QStringLiteral("no archiver at ") + library;
            return;
        }
        QByteArray script = "VER,03.01\r\nMAX," + QByteArray::number(kFrames) +
                            "\r\nLOOP,0\r\nJIDOU,1\r\nLOOPWAIT,10\r\nOPTEND,START\r\n";
        QStringList members{QStringLiteral("Slidewright.ini")};
        for (int k = 1; k <= kFrames; ++k) {
            const QByteArray number = QByteArray::number(k).rightJustified(3, '0');
            const QString name = QStringLiteral("SW%1.bmp").arg(QString::fromLatin1(number));
            screenLikePicture(k).save(QDir(folder.path()).filePath(name), "BMP");
            script += "NAME," + number + "," + name.toLatin1() + "\r\nWAIT," + number +
                      ",100\r\nSOUND," + number + ",\r\n";
            members << name;
        }
        script += "END,END,END\r\n";
        QFile file(QDir(folder.path()).filePath(members[0]));
        file.open(QIODevice::WriteOnly);
        file.write(script);
        file.close();
        bool startNew = true;
        for (const QString& member : members) {
            if (MLha::StoreInPackage(package, QDir(folder.path()).filePath(member), startNew) !=
                0) {
                problem = QStringLiteral("the archiver cannot store members yet");
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

// A player on the package, loaded as the program loads it.
std::unique_ptr<frmMovie> openPlayer(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError(qPrintable(movie().problem));
        return nullptr;
    }
    previewMode = false;
    CommandLine::set(movie().package);
    auto player = std::make_unique<frmMovie>();
    if (!player->Form_Load()) {
        state.SkipWithError("the player could not load the package");
        return nullptr;
    }
    player->show();
    QCoreApplication::processEvents();
    return player;
}

void BM_FrameTickToScreen(benchmark::State& state) {
    auto player = openPlayer(state);
    if (!player) {
        return;
    }
    int next = 2;
    for (auto _ : state) {
        player->currentFrame = next - 1;
        player->tmrMain_Timer();
        player->repaint();
        if (player->Pic1->pixmap().width() != 1920) {
            state.SkipWithError("the frame did not show");
            break;
        }
        next = next % kFrames + 1;
    }
    player->tmrMain->stop();
}
BENCHMARK(BM_FrameTickToScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExtractFramePicture(benchmark::State& state) {
    if (!movie().ready) {
        state.SkipWithError(qPrintable(movie().problem));
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
        state.SkipWithError(qPrintable(movie().problem));
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
    const QString path = QDir(movie().folder.path()).filePath(QStringLiteral("SW002.bmp"));
    for (auto _ : state) {
        QImage image(path);
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
    // The player ends the program after a movie; here it only stops.
    ProgramEnd::setHandler([](int) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    WorkFolder::removePrivateFolder();
    return 0;
}
