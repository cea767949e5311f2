// The capture window on a real X server with openbox: it stays above the
// window the user works in without taking the focus, gets out of the way
// for the copy, saves numbered pictures into the next rows, reduces them
// when asked, and in continuous mode runs until the table is full.
#include "CaptureWindowFixture.h"
#include "Swatch.h"
#include "capture/X11Grabber.h"
#include "tests/QtWait.h"
#include "tests/XTools.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

class CaptureWindowX11 : public CaptureWindowTest {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s)
            << "run under an X server (tests/with_x.sh)";
        CaptureWindowTest::SetUp();
        grabber_ = X11Grabber::connect();
        ASSERT_NE(grabber_, nullptr);
        swatch.move(300, 200);
        swatch.show();
        ASSERT_TRUE(waitUntil([&] { return swatch.windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(swatch.winId()));
        ASSERT_TRUE(waitUntil([&] { return swatchOnScreen(); }))
            << "the swatch never reached the screen";
    }

    bool swatchOnScreen() {
        const QImage screen = grabber_->grabScreen().picture;
        return !screen.isNull() &&
               WrongPixels(screen, swatch, swatch.mapToGlobal(QPoint(0, 0))) == 0;
    }

    // Opens the capture window and waits until the window manager has it
    // on screen, kept on top.
    frmCopy& openOnScreen(QPoint placeTwips = {}) {
        frmCopy& w = open(placeTwips);
        EXPECT_TRUE(waitUntil([&] { return w.windowHandle()->isExposed(); }, 15000));
        EXPECT_TRUE(waitUntil(
            [&] { return XTools::NetWmState(w.winId()).contains(u"_NET_WM_STATE_ABOVE"_s); }));
        // The frame's size reaches the toolkit a little after the window
        // maps; a place read before it would be the window's own.
        EXPECT_TRUE(waitUntil([&] { return w.frameGeometry() != w.geometry(); }));
        return w;
    }

    // Clicks record and waits for the capture to be saved and the window to
    // be at rest again.
    void recordOnce(frmCopy& w) {
        const int before = w.nextFrameNo;
        // On screen again after an earlier capture, where the click lands.
        ASSERT_TRUE(waitUntil([&] { return w.isVisible() && w.windowHandle()->isExposed(); }));
        XTools::Click(w.cmdCopy);
        ASSERT_TRUE(waitUntil([&] { return w.nextFrameNo > before; }, 10000))
            << "nothing was saved; boxes: " << boxTexts().join(u" / "_s).toStdString();
        ASSERT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }));
        ASSERT_TRUE(waitUntil([&] { return w.isVisible() && w.windowHandle()->isExposed(); }))
            << "the window did not come back";
    }

    std::unique_ptr<X11Grabber> grabber_;
    Swatch swatch{u"the user's window"_s};
};

}  // namespace

TEST_F(CaptureWindowX11, AWholeScreenCaptureGoesToTheNextRowUnderTheNextFreeNumber) {
    makeFile(u"SW001.bmp"_s);
    makeFile(u"SW002.bmp"_s);
    useRows(1, 4);
    doc.frames[5].waitMs = 2500;
    doc.frames[5].soundFile = u"bell.wav"_s;
    // Right over the user's window: the copy must show the window below.
    frmCopy& w = openOnScreen(QPoint((swatch.x() + 100) * 15, (swatch.y() + 120) * 15));
    const QRect place = w.frameGeometry();
    ASSERT_TRUE(place.intersects(swatch.geometry()));
    EXPECT_EQ(w.nextFrameNo, 5);

    recordOnce(w);
    const QString saved = workFile(u"SW003.bmp"_s);
    ASSERT_TRUE(QFileInfo::exists(saved));
    // The row keeps its wait and sound.
    const FrameEntry& row = doc.frames[5];
    EXPECT_EQ(std::tuple(row.inUse, row.pictureFile, row.waitMs, row.soundFile),
              std::tuple(true, u"SW003.bmp"_s, 2500, u"bell.wav"_s));
    EXPECT_EQ(w.txtNo->text(), u"6"_s);
    EXPECT_EQ(reported, (decltype(reported){{5, u"SW003.bmp"_s}}));

    const QImage picture(saved);
    EXPECT_EQ(picture.size(), QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_EQ(bmpBits(saved), 24);
    EXPECT_EQ(WrongPixels(picture, swatch, swatch.mapToGlobal(QPoint(0, 0))), 0)
        << "the capture window was still in the way";

    // Back where it was, on top, and ready for the next one.
    EXPECT_TRUE(waitUntil([&] { return w.frameGeometry() == place; }));
    EXPECT_FALSE(w.cmdStop->isEnabled());
    EXPECT_EQ(w.placeTwips(), place.topLeft() * 15);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

// The window offers no minimise box: minimised, it would leave nothing of
// the program on screen, the editor being hidden.
TEST_F(CaptureWindowX11, NoPixelOfTheWindowIsInItsOwnCaptureAtAnyDepth) {
    // In the top-left corner, where a window manager keeps a window it is
    // asked to move off the screen.
    const QImage empty = grabber_->grabScreen().picture;
    ASSERT_FALSE(empty.isNull());
    frmCopy& w = openOnScreen();
    const QRect around = w.frameGeometry().adjusted(-8, -8, 8, 8) & empty.rect();
    ASSERT_NE(grabber_->grabScreen().picture.copy(around), empty.copy(around))
        << "the window is not on the screen to begin with";
    const QString actions = XTools::Run(
        u"xprop"_s, {u"-id"_s, QString::number(w.winId()), u"_NET_WM_ALLOWED_ACTIONS"_s});
    EXPECT_TRUE(actions.contains(u"_NET_WM_ACTION_CLOSE"_s) &&
                !actions.contains(u"_NET_WM_ACTION_MINIMIZE"_s))
        << actions.toStdString();

    recordOnce(w);
    const QImage picture(workFile(u"SW001.bmp"_s));
    ASSERT_EQ(picture.size(), empty.size());
    EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32).copy(around), empty.copy(around));
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());

    // Reduced, as asked; how well is the reduction's own suite's.
    for (const auto& [colours, name, bits] : {std::tuple{1, "SW002.bmp", 8}, {2, "SW003.bmp", 4}}) {
        w.optColor[colours]->click();
        recordOnce(w);
        EXPECT_EQ(bmpBits(workFile(QLatin1String(name))), bits) << name;
        EXPECT_EQ(QImage(workFile(QLatin1String(name))).size(), empty.size()) << name;
    }
    EXPECT_EQ(doc.frames[3].pictureFile, u"SW003.bmp"_s);
}

TEST_F(CaptureWindowX11, StaysOnTopAndLeavesTheFocusWithTheUsersWindow) {
    frmCopy& w = openOnScreen(QPoint((swatch.x() + 200) * 15, (swatch.y() + 150) * 15));
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());
    EXPECT_TRUE(waitUntil([&] { return XTools::IsStackedAbove(w.winId(), swatch.winId()); }));

    // The user works in the window and raises it: the capture window stays
    // above it.
    XTools::Run(u"xdotool"_s, {u"windowraise"_s, QString::number(swatch.winId())});
    ASSERT_TRUE(XTools::Activate(swatch.winId()));
    EXPECT_TRUE(waitUntil([&] { return XTools::IsStackedAbove(w.winId(), swatch.winId()); }));

    // Ticking and clicking in it leaves the focus where it was.
    XTools::Click(w.chkAct);
    ASSERT_TRUE(waitUntil([&] { return w.chkAct->isChecked(); }));
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());
    recordOnce(w);
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());
    EXPECT_FALSE(w.isActiveWindow());

    // The active window with openbox's frame and title bar.
    const QImage picture(workFile(u"SW001.bmp"_s));
    const QRect frame = swatch.frameGeometry();
    EXPECT_EQ(picture.size(), frame.size());
    const QPoint client = swatch.mapToGlobal(QPoint(0, 0)) - frame.topLeft();
    ASSERT_GT(client.y(), 10) << "no title bar";
    EXPECT_EQ(WrongPixels(picture, swatch, client), 0);
    EXPECT_EQ(doc.frames[1].pictureFile, u"SW001.bmp"_s);
    EXPECT_TRUE(XTools::NetWmState(w.winId()).contains(u"_NET_WM_STATE_ABOVE"_s));
}

TEST_F(CaptureWindowX11, TheDelayBoxTakesTypingAndThenGivesTheFocusUpAgain) {
    frmCopy& w = openOnScreen(QPoint(60 * 15, 60 * 15));
    XTools::Click(w.txtTim);
    ASSERT_TRUE(waitUntil([&] { return w.txtTim->hasFocus() && w.isActiveWindow(); }, 5000))
        << "the click into the delay box did not give it the keyboard";
    ASSERT_TRUE(waitUntil([&] { return w.txtTim->selectedText() == u"0"_s; }));
    XTools::Run(u"xdotool"_s, {u"type"_s, u"7"_s});
    ASSERT_TRUE(waitUntil([&] { return w.txtTim->text() == u"7"_s; }));

    // The user goes back to the window to record: the capture window
    // refuses the focus again, and a click on it keeps it refused.
    ASSERT_TRUE(XTools::Activate(swatch.winId()));
    EXPECT_TRUE(waitUntil([&] {
        return w.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus) &&
               w.windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
    }));
    XTools::Click(w.chkCopy);
    ASSERT_TRUE(waitUntil([&] { return w.chkCopy->isChecked(); }));
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());
    EXPECT_EQ(w.txtTim->text(), u"7"_s);
    w.close();
    EXPECT_EQ(settings.captureDelay, 7);
}

TEST_F(CaptureWindowX11, TooltipsShowOverTheWindowThoughItIsNeverActive) {
    frmCopy& w = openOnScreen(QPoint(60 * 15, 60 * 15));
    const QPoint away = swatch.mapToGlobal(QPoint(swatch.width() - 20, swatch.height() - 20));
    auto pointAt = [](QPoint at) {
        XTools::Run(u"xdotool"_s,
                    {u"mousemove"_s, QString::number(at.x() - 2), QString::number(at.y()),
                     u"mousemove"_s, QString::number(at.x()), QString::number(at.y())});
    };
    // A tooltip is a window of its own: one showing when the copy is taken
    // must not be in it.
    w.txtTim->setText(u"3"_s);
    pointAt(away);
    ASSERT_TRUE(waitUntil([] { return !QToolTip::isVisible(); }));
    XTools::Click(w.cmdCopy);
    ASSERT_TRUE(waitUntil([&] { return w.cmdStop->isEnabled(); }));
    pointAt(w.cmdStop->mapToGlobal(w.cmdStop->rect().center()));
    ASSERT_TRUE(waitUntil(
        [&] { return QToolTip::isVisible() && QToolTip::text() == w.cmdStop->toolTip(); }));
    EXPECT_FALSE(w.isActiveWindow());
    EXPECT_EQ(XTools::ActiveWindow(), swatch.winId());
    ASSERT_TRUE(waitUntil([&] { return w.nextFrameNo == 2; }, 10000));
    const QImage picture = QImage(workFile(u"SW001.bmp"_s)).convertToFormat(QImage::Format_RGB32);
    const QRgb tipColour = QToolTip::palette().color(QPalette::ToolTipBase).rgb();
    const auto* pixels = reinterpret_cast<const QRgb*>(picture.constBits());
    EXPECT_EQ(std::count(pixels, pixels + picture.width() * picture.height(), tipColour), 0)
        << "the tooltip is in the capture";
    pointAt(away);
}

TEST_F(CaptureWindowX11, ContinuousModeFillsTheTableThenSaysSoAndCloses) {
    useRows(1, 98);
    settings.captureContinuous = 1;
    settings.captureDelay = 3;
    frmCopy& w = openOnScreen();
    EXPECT_EQ(w.nextFrameNo, 99);
    // Each delay is armed at three seconds or more, then cut short: the
    // test checks the sequence, not the clock.
    const auto skipDelay = [&] {
        ASSERT_TRUE(waitUntil([&] { return w.tmrSleep->isActive(); }));
        EXPECT_GE(w.tmrSleep->interval(), 3000);
        w.tmrSleep->start(0);
    };
    XTools::Click(w.cmdCopy);
    skipDelay();
    EXPECT_TRUE(waitUntil([&] { return doc.frames[99].inUse; }));
    // On again by itself, still waiting for the next one.
    ASSERT_TRUE(waitUntil([&] { return w.tmrSleep->isActive(); }));
    EXPECT_TRUE(!w.cmdCopy->isEnabled() && w.cmdStop->isEnabled() && w.isVisible());
    skipDelay();
    ASSERT_TRUE(waitUntil([&] { return !w.isVisible(); }));

    EXPECT_EQ(std::pair(doc.frames[99].pictureFile, doc.frames[100].pictureFile),
              std::pair(u"SW001.bmp"_s, u"SW002.bmp"_s));
    EXPECT_TRUE(doc.frames[100].inUse);
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(u"てます"_s));
    EXPECT_FALSE(QFileInfo::exists(workFile(u"SW003.bmp"_s)));
    EXPECT_EQ(settings.captureContinuous, 1) << "closing kept the choices";
}

// A disk that fills up halfway through the picture: the save is reported
// with the path it tried, and neither that name nor a partial file is left.
TEST_F(CaptureWindowX11, ADiskThatFillsUpLeavesNoPartialPicture) {
    frmCopy& w = openOnScreen();
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    XTools::Click(w.cmdCopy);
    const bool told = waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 10000);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(told);

    const auto& box = MessageBox::shownBoxes()[0];
    EXPECT_EQ(box.icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(box.text.endsWith(u"\r\n"_s + workFile(u"SW001.bmp"_s)));
    // Nothing but the editor's own record and lock.
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{u".slidewright-files"_s, u".slidewright.lock"_s}));
    EXPECT_TRUE(QDir(files.scratchFolder())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
    EXPECT_FALSE(doc.frames[1].inUse);
    EXPECT_EQ(w.nextFrameNo, 1);
    EXPECT_TRUE(reported.empty());

    // With room again the next capture takes the same name.
    ASSERT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }));
    recordOnce(w);
    EXPECT_EQ(doc.frames[1].pictureFile, u"SW001.bmp"_s);
    EXPECT_EQ(bmpBits(workFile(u"SW001.bmp"_s)), 24);
}
