// Screen copies on a real X server with a real window manager (openbox):
// what is copied is what a window drew, and the active window comes with
// its frame and title bar.
#include "capture/MH_COPY.h"
#include "capture/MPIC_256GEN.h"
#include "capture/X11Grabber.h"
#include "tests/XTools.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>

namespace {

// A window of known colours: two halves, a block and a corner square.
class Swatch : public QWidget {
public:
    Swatch(QRgb left, QRgb right, const QString& title) : left_(left), right_(right) {
        setWindowTitle(title);
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(320, 200);
    }

    QRgb expected(int x, int y) const {
        if (QRect(20, 20, 40, 30).contains(x, y)) {
            return qRgb(0, 255, 0);
        }
        if (QRect(width() - 30, height() - 30, 10, 10).contains(x, y)) {
            return qRgb(255, 255, 255);
        }
        return x < width() / 2 ? left_ : right_;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(0, 0, width() / 2, height(), QColor(left_));
        painter.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(right_));
        painter.fillRect(20, 20, 40, 30, QColor(0, 255, 0));
        painter.fillRect(width() - 30, height() - 30, 10, 10, Qt::white);
    }

private:
    QRgb left_;
    QRgb right_;
};

// Pixels of the window's drawing that differ in the picture, in which the
// window's own top-left corner lies at `origin`.
int WrongPixels(const QImage& picture, const Swatch& window, const QPoint& origin) {
    int wrong = 0;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const QPoint at = QPoint(x, y) + origin;
            if (!picture.rect().contains(at) ||
                (picture.pixel(at) & 0xFFFFFF) != (window.expected(x, y) & 0xFFFFFF)) {
                ++wrong;
            }
        }
    }
    return wrong;
}

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
        ASSERT_TRUE(XTools::WaitFor([&] { return window.windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(window.winId()));
        ASSERT_TRUE(XTools::WaitFor([&] {
            const QImage screen = grabber_->grabScreen().picture;
            return !screen.isNull() &&
                   WrongPixels(screen, window, window.mapToGlobal(QPoint(0, 0))) == 0;
        })) << "the window's drawing never reached the screen";
        // The frame the toolkit knows must have settled too.
        ASSERT_TRUE(XTools::WaitFor([&] {
            const auto frame = grabber_->activeFrame();
            return frame && *frame == window.frameGeometry();
        }));
    }

    std::unique_ptr<X11Grabber> grabber_;
};

}  // namespace

TEST_F(HardCopy, TheWholeScreenIsCopiedFromTheRootAtFullDepth) {
    Swatch window(qRgb(255, 0, 0), qRgb(0, 0, 255), QStringLiteral("swatch"));
    showActive(window, QPoint(200, 150));

    const QImage screen = grabber_->grabScreen().picture;
    ASSERT_TRUE(!screen.isNull());
    EXPECT_EQ(screen.size(), QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_EQ(screen.format(), QImage::Format_RGB32);
    EXPECT_EQ(WrongPixels(screen, window, window.mapToGlobal(QPoint(0, 0))), 0);

    // The program's own path to it, and the depth it is saved at.
    QImage box;
    MH_COPY::CopyDesktopToBox(box);
    ASSERT_FALSE(box.isNull());
    EXPECT_EQ(box.size(), screen.size());
    EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(box), 24);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("SW001.bmp"));
    ASSERT_TRUE(MPIC_256GEN::SaveBoxPicture(box, file));
    const QImage saved(file);
    EXPECT_EQ(saved.size(), box.size());
    EXPECT_EQ(WrongPixels(saved, window, window.mapToGlobal(QPoint(0, 0))), 0);
}

TEST_F(HardCopy, TheActiveWindowComesWithItsFrameAndTitleBar) {
    Swatch window(qRgb(200, 30, 40), qRgb(10, 90, 220), QStringLiteral("framed swatch"));
    showActive(window, QPoint(300, 260));

    const QRect frame = window.frameGeometry();
    const QPoint client = window.mapToGlobal(QPoint(0, 0)) - frame.topLeft();
    ASSERT_GT(client.y(), 10) << "openbox gave the window no title bar";

    const QImage picture = grabber_->grabActiveWindow().picture;
    ASSERT_TRUE(!picture.isNull());
    EXPECT_EQ(picture.size(), frame.size());
    EXPECT_EQ(WrongPixels(picture, window, client), 0);

    // The frame is copied as it is on screen, title bar and all.
    const QImage screen = grabber_->grabScreen().picture;
    ASSERT_TRUE(!screen.isNull());
    EXPECT_EQ(picture, screen.copy(frame));
    QSet<QRgb> titleColours;
    for (int y = 0; y < client.y(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            titleColours.insert(picture.pixel(x, y));
        }
    }
    EXPECT_GT(titleColours.size(), 2) << "the title bar holds no text or buttons";

    QImage box;
    MH_COPY::CopyForegroundToBox(box);
    EXPECT_EQ(box, picture);
}

TEST_F(HardCopy, WhicheverWindowIsActiveIsTheOneCopied) {
    Swatch first(qRgb(255, 255, 0), qRgb(0, 255, 255), QStringLiteral("first"));
    Swatch second(qRgb(128, 0, 128), qRgb(255, 128, 0), QStringLiteral("second"));
    second.resize(240, 150);
    showActive(first, QPoint(100, 100));
    showActive(second, QPoint(600, 400));

    for (Swatch* window : {&first, &second}) {
        ASSERT_TRUE(XTools::Activate(window->winId()));
        ASSERT_TRUE(XTools::WaitFor([&] {
            const auto frame = grabber_->activeFrame();
            return frame && *frame == window->frameGeometry();
        }));
        const QImage picture = grabber_->grabActiveWindow().picture;
        ASSERT_TRUE(!picture.isNull());
        EXPECT_EQ(picture.size(), window->frameGeometry().size());
        EXPECT_EQ(
            WrongPixels(picture, *window,
                        window->mapToGlobal(QPoint(0, 0)) - window->frameGeometry().topLeft()),
            0)
            << window->windowTitle().toStdString();
    }
}

TEST_F(HardCopy, AWindowPartlyOffTheScreenKeepsItsSizeWithTheHiddenPartBlack) {
    Swatch window(qRgb(255, 0, 0), qRgb(0, 0, 255), QStringLiteral("half out"));
    showActive(window, QPoint(40, 300));
    window.move(-150, 300);
    // openbox lets a program move its window partly off the screen.
    ASSERT_TRUE(XTools::WaitFor([&] { return window.frameGeometry().left() < -100; }));
    ASSERT_TRUE(XTools::WaitFor([&] {
        const auto frame = grabber_->activeFrame();
        return frame && *frame == window.frameGeometry();
    }));
    const QRect frame = window.frameGeometry();
    const QImage picture = grabber_->grabActiveWindow().picture;
    ASSERT_TRUE(!picture.isNull());
    EXPECT_EQ(picture.size(), frame.size());
    const int hidden = -frame.left();
    int notBlack = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < hidden; ++x) {
            notBlack += (picture.pixel(x, y) & 0xFFFFFF) != 0;
        }
    }
    EXPECT_EQ(notBlack, 0);
    const QImage screen = grabber_->grabScreen().picture;
    ASSERT_TRUE(!screen.isNull());
    EXPECT_EQ(picture.copy(hidden, 0, frame.width() - hidden, frame.height()),
              screen.copy(0, frame.top(), frame.width() - hidden, frame.height()));
}

TEST_F(HardCopy, TheWholeScreenIsEveryMonitorOfTheDesktop) {
    // The screen split into two monitors side by side, as RandR sees two
    // outputs.
    const QSize whole = QGuiApplication::primaryScreen()->virtualSize();
    const int half = whole.width() / 2;
    const auto monitor = [&](const QString& name, int left, const QString& output) {
        XTools::Run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), name,
                                               QStringLiteral("%1/%2x%3/%4+%5+0")
                                                   .arg(half)
                                                   .arg(half / 4)
                                                   .arg(whole.height())
                                                   .arg(whole.height() / 4)
                                                   .arg(left),
                                               output});
    };
    monitor(QStringLiteral("LEFT"), 0, QStringLiteral("screen"));
    monitor(QStringLiteral("RIGHT"), half, QStringLiteral("none"));
    ASSERT_TRUE(XTools::WaitFor([] { return QGuiApplication::screens().size() == 2; }))
        << "the desktop did not become two monitors";

    Swatch left(qRgb(255, 0, 0), qRgb(0, 0, 255), QStringLiteral("on the left"));
    Swatch right(qRgb(255, 255, 0), qRgb(128, 0, 128), QStringLiteral("on the right"));
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

TEST(HardCopyChoice, AnX11SessionGetsTheX11Grabber) {
    const auto grabber = ScreenGrabber::create();
    EXPECT_NE(dynamic_cast<X11Grabber*>(grabber.get()), nullptr);
}
