// SetWindowTopmost under a real window manager (openbox): the window stays
// above the one the user works in and never takes the focus from it.
#include "capture/X11Grabber.h"
#include "common/MFRM_FRONT.h"
#include "tests/XTools.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QWidget>
#include <QWindow>

namespace {

class Plain : public QWidget {
public:
    Plain(QColor colour, const QString& title) : colour_(colour) {
        setWindowTitle(title);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), colour_); }

private:
    QColor colour_;
};

QStringList NetWmState(const QWidget& window) {
    return XTools::Run(QStringLiteral("xprop"),
                       {QStringLiteral("-id"), QString::number(window.winId()),
                        QStringLiteral("_NET_WM_STATE")})
        .split(QRegularExpression(QStringLiteral("[=, ]+")), Qt::SkipEmptyParts);
}

// Client windows from bottom to top, as the window manager stacks them.
QList<qulonglong> Stacking() {
    const QString line =
        XTools::Run(QStringLiteral("xprop"),
                    {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<qulonglong> windows;
    for (const QString& part : line.section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        windows.append(part.trimmed().toULongLong(nullptr, 16));
    }
    return windows;
}

bool IsAbove(const QWidget& upper, const QWidget& lower) {
    const QList<qulonglong> order = Stacking();
    const qsizetype up = order.indexOf(upper.winId());
    const qsizetype down = order.indexOf(lower.winId());
    return up >= 0 && down >= 0 && up > down;
}

QRgb ScreenPixel(const QPoint& at) {
    auto grabber = X11Grabber::connect();
    const QImage screen = grabber ? grabber->grabScreen().picture : QImage();
    return !screen.isNull() ? screen.pixel(at) & 0xFFFFFF : 0x1000000;
}

class Topmost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"))
            << "run under an X server (tests/with_x.sh)";
        work_.resize(500, 400);
        work_.move(100, 100);
        work_.show();
        ASSERT_TRUE(waitUntil([&] { return work_.windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(work_.winId()));
    }

    // A point inside both the work window and the topmost one.
    QPoint overlap() const { return QPoint(260, 250); }

    Plain work_{QColor(0, 160, 0), QStringLiteral("work")};
};

}  // namespace

TEST_F(Topmost, ShowsAboveTheWorkWindowWithoutTakingTheFocus) {
    Plain front(QColor(200, 0, 200), QStringLiteral("front"));
    front.resize(200, 120);
    front.move(200, 200);
    MFRM_FRONT::SetWindowTopmost(&front, false);
    front.show();
    ASSERT_TRUE(waitUntil([&] { return front.windowHandle()->isExposed(); }, 15000));
    ASSERT_TRUE(waitUntil(
        [&] { return NetWmState(front).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }));
    EXPECT_EQ(XTools::ActiveWindow(), work_.winId());
    EXPECT_EQ(front.pos(), QPoint(200, 200));
    EXPECT_EQ(front.size(), QSize(200, 120));

    // The user works on: activating and raising the work window leaves the
    // topmost window above it, on screen as in the window manager's stack.
    ASSERT_TRUE(XTools::Activate(work_.winId()));
    XTools::Run(QStringLiteral("xdotool"),
                {QStringLiteral("windowraise"), QString::number(work_.winId())});
    EXPECT_TRUE(waitUntil([&] { return IsAbove(front, work_); }));
    EXPECT_TRUE(waitUntil(
        [&] { return ScreenPixel(front.mapToGlobal(QPoint(20, 20))) == 0xC800C8; }));

    // Clicking it (as on the record button) leaves the focus where it was.
    const QPoint inside = front.mapToGlobal(QPoint(50, 50));
    XTools::Run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(inside.x()),
                 QString::number(inside.y()), QStringLiteral("click"), QStringLiteral("1")});
    QApplication::processEvents();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(XTools::ActiveWindow(), work_.winId());
    EXPECT_FALSE(front.isActiveWindow());
}

TEST_F(Topmost, AShownWindowStaysShownInPlaceAndCanBeReleased) {
    Plain front(QColor(0, 0, 200), QStringLiteral("shown first"));
    front.resize(180, 100);
    front.move(250, 220);
    front.show();
    ASSERT_TRUE(waitUntil([&] { return front.windowHandle()->isExposed(); }, 15000));
    ASSERT_TRUE(XTools::Activate(work_.winId()));
    const QRect before = front.frameGeometry();

    MFRM_FRONT::SetWindowTopmost(&front, false);
    ASSERT_TRUE(waitUntil(
        [&] { return front.isVisible() && front.windowHandle()->isExposed(); }, 15000));
    EXPECT_TRUE(waitUntil(
        [&] { return NetWmState(front).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }));
    EXPECT_TRUE(waitUntil([&] { return front.frameGeometry() == before; }))
        << "moved from " << before.x() << "," << before.y() << " to " << front.frameGeometry().x()
        << "," << front.frameGeometry().y();
    EXPECT_EQ(XTools::ActiveWindow(), work_.winId());

    // Released, it is an ordinary window again: the work window may cover it.
    MFRM_FRONT::SetWindowTopmost(&front, true);
    ASSERT_TRUE(waitUntil(
        [&] { return front.isVisible() && front.windowHandle()->isExposed(); }, 15000));
    EXPECT_TRUE(waitUntil(
        [&] { return !NetWmState(front).contains(QStringLiteral("_NET_WM_STATE_ABOVE")); }));
    ASSERT_TRUE(XTools::Activate(work_.winId()));
    XTools::Run(QStringLiteral("xdotool"),
                {QStringLiteral("windowraise"), QString::number(work_.winId())});
    EXPECT_TRUE(waitUntil([&] { return IsAbove(work_, front); }));
    EXPECT_FALSE(front.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(front.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    MFRM_FRONT::SetWindowTopmost(nullptr, false);  // nothing to do, no crash
}
