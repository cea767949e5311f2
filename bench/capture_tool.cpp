// Helper for the colour-reduction benchmark: takes real captures under X
// and reduces picture files with the program's own quantiser.
//   capture_tool grab-screen OUT.png
//   capture_tool grab-active OUT.png
//   capture_tool reduce IN COLOURS OUT.bmp     (prints the reduction's ms)
//   capture_tool dialog                        (shows a Qt colour dialog)
#include "capture/MPIC_256GEN.h"
#include "capture/X11Grabber.h"

#include <QApplication>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QImage>

#include <cstdio>
#include <cstring>

namespace {

int Grab(bool active, const char* out) {
    auto grabber = X11Grabber::connect();
    if (!grabber) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const QImage picture = (active ? grabber->grabActiveWindow() : grabber->grabScreen()).picture;
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(out))) {
        std::fprintf(stderr, "capture failed\n");
        return 1;
    }
    return 0;
}

int Reduce(const char* in, int colours, const char* out) {
    const QImage source(QString::fromLocal8Bit(in));
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", in);
        return 1;
    }
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    QElapsedTimer timer;
    timer.start();
    const auto reduced = MPIC_256GEN::ReduceBitmapColours(picture, colours);
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!reduced || !MPIC_256GEN::SaveBoxPicture(*reduced, QString::fromLocal8Bit(out))) {
        std::fprintf(stderr, "reduction failed\n");
        return 1;
    }
    std::printf("%.1f\n", ms);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "grab-screen") == 0) {
        return Grab(false, argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "grab-active") == 0) {
        return Grab(true, argv[2]);
    }
    if (argc == 5 && std::strcmp(argv[1], "reduce") == 0) {
        return Reduce(argv[2], std::atoi(argv[3]), argv[4]);
    }
    if (argc == 2 && std::strcmp(argv[1], "dialog") == 0) {
        QApplication application(argc, argv);
        QColorDialog dialog;
        dialog.setOption(QColorDialog::ShowAlphaChannel);
        dialog.setCurrentColor(QColor(40, 120, 200));
        dialog.show();
        return application.exec();
    }
    std::fprintf(
        stderr,
        "usage: capture_tool grab-screen|grab-active OUT | reduce IN COLOURS OUT | dialog\n");
    return 2;
}
