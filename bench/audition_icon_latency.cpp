// How soon after a sound's end the editor's sound buttons show the play
// icon again, for a WAV of known length played from a row's button. Run
// through tests/isolated.sh so that SDL renders to its disk driver in real
// time and the editor works in a throw-away folder:
//   tests/isolated.sh build/bin/bench_audition_icon_latency [rounds]
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "editor/frames/EditorIcons.h"
#include "editor/frames/FrameRows.h"
#include "editor/frmMaker.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolderSession.h"
#include "player/MMidPlay.h"
#include "settings/AppSettings.h"
#include "tests/player/SoundFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kLengthMs = 1000;

bool showsPlay(frmMaker& editor, const QImage& play) {
    for (QToolButton* button : editor.rows()->cmdSound) {
        if (button->icon().pixmap(QSize(15, 13)).toImage() != play) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    ProgramEnd::setHandler([](int) {});
    MessageBox::setAutoAnswer(true);
    CommandLine::set(QString());

    MovieDoc doc;
    AppSettings settings;
    WorkFolderSession workFiles;
    frmMaker editor({doc, settings, workFiles});
    editor.Form_Load();
    editor.show();
    const QDir work(editor.workFolder());
    const QString name = QStringLiteral("tone.wav");
    if (!SoundFiles::writeFile(work.filePath(name), SoundFiles::toneWav(1.0))) {
        return 1;
    }
    // A row shows its sound name only on a page with a picture.
    QImage picture(64, 48, QImage::Format_RGB888);
    picture.fill(Qt::gray);
    if (!picture.save(work.filePath(QStringLiteral("tone.bmp")), "BMP")) {
        return 1;
    }
    FrameEntry& frame = doc.frames[1];
    frame.inUse = true;
    frame.pictureFile = QStringLiteral("tone.bmp");
    frame.soundFile = name;
    editor.rows()->DrawFrameRows(1);
    const QImage play = EditorIcons::soundPlay().toImage();

    std::vector<qint64> lateMs;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        editor.cmdSound_Click(0);
        if (showsPlay(editor, play)) {
            std::fprintf(stderr, "the sound did not start\n");
            return 1;
        }
        while (!showsPlay(editor, play) && clock.elapsed() < 10 * kLengthMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::usleep(200);
        }
        lateMs.push_back(clock.elapsed() - kLengthMs);
    }
    MMidPlay::CloseAudio();
    QFile::remove(work.filePath(name));
    QFile::remove(work.filePath(QStringLiteral("tone.bmp")));

    std::sort(lateMs.begin(), lateMs.end());
    std::printf("audio driver: %s, %d rounds\n",
                qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")
                    ? "(default)"
                    : qgetenv("SDL_AUDIODRIVER").constData(),
                rounds);
    std::printf("%-52s min %5lld  median %5lld  max %5lld ms\n",
                "WAV 1000 ms: play icons back after its end, late by",
                static_cast<long long>(lateMs.front()),
                static_cast<long long>(lateMs[lateMs.size() / 2]),
                static_cast<long long>(lateMs.back()));
    return 0;
}
