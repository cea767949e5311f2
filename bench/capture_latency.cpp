// How long a recording takes from the record button to the saved frame, with
// a delay of 0, through the real capture window on the desktop it runs on:
//   capture_latency ROUNDS
// prints one line: the screen's size, then min, median and max in ms.
#include "capture/window/frmCopy.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir work;
    AppSettings settings;
    settings.workFolder = work.path();
    MovieDoc doc;
    WorkFolderSession files;
    if (files.open(work.path()) != WorkFolderSession::OpenResult::Opened) {
        std::fprintf(stderr, "capture_latency: no work folder\n");
        return 1;
    }

    frmCopy window(doc, settings, files, QPoint());
    QObject::connect(&window, &frmCopy::pictureSaved, &window,
                     [&doc](int frame, const QString& name) { doc.setFramePicture(frame, name); });
    window.Form_Load();
    window.show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    std::vector<double> times;
    for (int round = 0; round < rounds && window.nextFrameNo <= MovieDoc::kEditorSlots; ++round) {
        const int before = window.nextFrameNo;
        QElapsedTimer timer;
        timer.start();
        window.cmdCopy->click();
        while (window.nextFrameNo == before && timer.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        if (window.nextFrameNo == before) {
            std::fprintf(stderr, "capture_latency: no frame was saved\n");
            return 1;
        }
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        // Back in place and at rest before the next click.
        while (!window.cmdCopy->isEnabled()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QThread::msleep(300);
        QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    const QSize screen = QGuiApplication::primaryScreen()->virtualSize() *
                         QGuiApplication::primaryScreen()->devicePixelRatio();
    std::printf("%dx%d  min %.0f ms  median %.0f ms  max %.0f ms  (%zu captures)\n", screen.width(),
                screen.height(), times.front(), times[times.size() / 2], times.back(),
                times.size());
    return 0;
}
