// SetWindowTopmost under a real window manager (openbox) on a window already
// shown: it stays in place without taking the focus, and can be released.
// A topmost window opened so (the capture window) is checked in its own suite.
#include "common/MFRM_FRONT.h"
#include "tests/XTools.h"
#include "tests/capture/Swatch.h"

#include <gtest/gtest.h>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

class Topmost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s)
            << "run under an X server (tests/with_x.sh)";
        work_.resize(500, 400);
        work_.move(100, 100);
        work_.show();
        ASSERT_TRUE(waitUntil([&] { return work_.windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(work_.winId()));
    }

    Swatch work_{u"work"_s};
};

}  // namespace

TEST_F(Topmost, AShownWindowStaysShownInPlaceAndCanBeReleased) {
    Swatch front(u"shown first"_s, qRgb(0, 0, 200), qRgb(0, 0, 200));
    front.resize(180, 100);
    front.move(250, 220);
    front.show();
    ASSERT_TRUE(waitUntil([&] { return front.windowHandle()->isExposed(); }, 15000));
    ASSERT_TRUE(XTools::Activate(work_.winId()));
    const QRect before = front.frameGeometry();

    MFRM_FRONT::SetWindowTopmost(&front, false);
    ASSERT_TRUE(
        waitUntil([&] { return front.isVisible() && front.windowHandle()->isExposed(); }, 15000));
    EXPECT_TRUE(waitUntil(
        [&] { return XTools::NetWmState(front.winId()).contains(u"_NET_WM_STATE_ABOVE"_s); }));
    EXPECT_TRUE(waitUntil([&] { return front.frameGeometry() == before; }))
        << "moved from " << before.x() << "," << before.y() << " to " << front.frameGeometry().x()
        << "," << front.frameGeometry().y();
    EXPECT_EQ(XTools::ActiveWindow(), work_.winId());

    // Released, it is an ordinary window again: the work window may cover it.
    MFRM_FRONT::SetWindowTopmost(&front, true);
    ASSERT_TRUE(
        waitUntil([&] { return front.isVisible() && front.windowHandle()->isExposed(); }, 15000));
    EXPECT_TRUE(waitUntil(
        [&] { return !XTools::NetWmState(front.winId()).contains(u"_NET_WM_STATE_ABOVE"_s); }));
    ASSERT_TRUE(XTools::Activate(work_.winId()));
    XTools::Run(u"xdotool"_s, {u"windowraise"_s, QString::number(work_.winId())});
    EXPECT_TRUE(waitUntil([&] { return XTools::IsStackedAbove(work_.winId(), front.winId()); }));
    EXPECT_FALSE(front.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(front.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    MFRM_FRONT::SetWindowTopmost(nullptr, false);  // nothing to do, no crash
}
