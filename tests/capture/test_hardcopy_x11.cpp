// Screen copies on a real X server with a real window manager (openbox):
// what is copied is what a window drew, and the active window comes with
// its frame and title bar.
#include "Swatch.h"
#include "capture/X11Grabber.h"
#include "tests/XTools.h"

#include <gtest/gtest.h>

#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

class HardCopy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "run under an X server (tests/with_x.sh)";
        grabber_ = X11Grabber::connect();
        ASSERT_NE(grabber_, nullptr);
    }

    // Shows the window at a place, makes it active through the window
    // manager, and waits until the screen shows its drawing.
    void showActive(Swatch& window, const QPoint& at) {
        window.move(at);
        window.show();
        ASSERT_TRUE(waitUntil([&] { return window.windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(window.winId()));
        ASSERT_TRUE(waitUntil([&] {
            const QImage screen = grabber_->grabScreen().picture;
            return !screen.isNull() &&
                   WrongPixels(screen, window, window.mapToGlobal(QPoint(0, 0))) == 0;
        })) << "the window's drawing never reached the screen";
        // The frame the toolkit knows must have settled too.
        ASSERT_TRUE(activeFrameSettled(window));
    }

    bool activeFrameSettled(const QWidget& window) {
        return waitUntil([&] {
            const auto frame = grabber_->activeFrame();
            return frame && *frame == window.frameGeometry();
        });
    }

    std::unique_ptr<X11Grabber> grabber_;
};

}  // namespace

TEST_F(HardCopy, WhicheverWindowIsActiveIsTheOneCopied) {
    Swatch first(QStringLiteral("first"), qRgb(255, 255, 0), qRgb(0, 255, 255));
    Swatch second(QStringLiteral("second"), qRgb(128, 0, 128), qRgb(255, 128, 0));
    second.resize(240, 150);
    showActive(first, QPoint(100, 100));
    showActive(second, QPoint(600, 400));

    for (Swatch* window : {&first, &second}) {
        ASSERT_TRUE(XTools::Activate(window->winId()));
        ASSERT_TRUE(activeFrameSettled(*window));
        const QImage picture = grabber_->grabActiveWindow().picture;
        EXPECT_EQ(picture.size(), window->frameGeometry().size());
        EXPECT_EQ(
            WrongPixels(picture, *window,
                        window->mapToGlobal(QPoint(0, 0)) - window->frameGeometry().topLeft()),
            0)
            << window->windowTitle().toStdString();
        // Frame and title bar as they are on screen, not filled in.
        const QImage screen = grabber_->grabScreen().picture;
        EXPECT_EQ(picture, screen.copy(window->frameGeometry()));
    }
}

TEST_F(HardCopy, AWindowPartlyOffTheScreenKeepsItsSizeWithTheHiddenPartBlack) {
    Swatch window(QStringLiteral("half out"), qRgb(255, 0, 0), qRgb(0, 0, 255));
    showActive(window, QPoint(40, 300));
    window.move(-150, 300);
    // openbox lets a program move its window partly off the screen.
    ASSERT_TRUE(waitUntil([&] { return window.frameGeometry().left() < -100; }));
    ASSERT_TRUE(activeFrameSettled(window));
    const QRect frame = window.frameGeometry();
    const QImage picture = grabber_->grabActiveWindow().picture;
    ASSERT_EQ(picture.size(), frame.size());
    const int hidden = -frame.left();
    QImage black(hidden, frame.height(), picture.format());
    black.fill(Qt::black);
    EXPECT_EQ(picture.copy(0, 0, hidden, frame.height()), black);
    const QImage screen = grabber_->grabScreen().picture;
    EXPECT_EQ(picture.copy(hidden, 0, frame.width() - hidden, frame.height()),
              screen.copy(0, frame.top(), frame.width() - hidden, frame.height()));
}

TEST_F(HardCopy, TheWholeScreenIsEveryMonitorOfTheDesktop) {
    // The screen split into two monitors side by side, as RandR sees two
    // outputs.
    const QSize whole = QGuiApplication::primaryScreen()->virtualSize();
    const int half = whole.width() / 2;
    const auto monitor = [&](const QString& name, int left, const QString& output) {
        // width/mm x height/mm + left + top
        const QString geometry = QString::asprintf("%d/%dx%d/%d+%d+0", half, half / 4,
                                                   whole.height(), whole.height() / 4, left);
        XTools::Run(QStringLiteral("xrandr"),
                    {QStringLiteral("--setmonitor"), name, geometry, output});
    };
    monitor(QStringLiteral("LEFT"), 0, QStringLiteral("screen"));
    monitor(QStringLiteral("RIGHT"), half, QStringLiteral("none"));
    ASSERT_TRUE(waitUntil([] { return QGuiApplication::screens().size() == 2; }))
        << "the desktop did not become two monitors";

    Swatch left(QStringLiteral("on the left"), qRgb(255, 0, 0), qRgb(0, 0, 255));
    Swatch right(QStringLiteral("on the right"), qRgb(255, 255, 0), qRgb(128, 0, 128));
    showActive(left, QPoint(100, 100));
    showActive(right, QPoint(half + 100, 100));
    const QImage screen = grabber_->grabScreen().picture;
    EXPECT_EQ(screen.size(), whole);
    EXPECT_EQ(WrongPixels(screen, left, left.mapToGlobal(QPoint(0, 0))), 0);
    EXPECT_EQ(WrongPixels(screen, right, right.mapToGlobal(QPoint(0, 0))), 0);
    for (const char* name : {"LEFT", "RIGHT"}) {
        XTools::Run(QStringLiteral("xrandr"),
                    {QStringLiteral("--delmonitor"), QString::fromLatin1(name)});
    }
}
