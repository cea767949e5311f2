// The capture window without a screen to copy (the offscreen platform): the
// kind of window it is, the rules of its fields, the settings it keeps, the
// refusals, pausing, and a copy that fails reported as a failed save; and
// where no screen can be read, every copy failing cleanly.
#include "CaptureWindowFixture.h"
#include "capture/PortalGrabber.h"
#include "capture/X11Grabber.h"
#include "capture/window/CaptureFiles.h"
#include "tests/QtWait.h"
#include "tests/WindowChecks.h"

#include <optional>
#include <tuple>
#include <vector>

#include <QDBusConnection>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

using Icon = MessageBox::Icon;

const QString kTableFull = u"記録に失敗しました\r\n１００件まで登録されてます"_s;
const QString kContinuousDelay = u"連続コピーする際は遅延秒数を３秒以上として下さい"_s;

TEST_F(CaptureWindowTest, AFixedWellFormedWindowAtRest) {
    // The widest row number it shows.
    useRows(100, 100);
    frmCopy& w = open();
    EXPECT_EQ(w.txtNo->text(), u"101"_s);
    WindowChecks::expectWellFormed(&w);
    // At rest: only the pause button is off, and nothing is pending.
    EXPECT_FALSE(w.cmdStop->isEnabled());
    EXPECT_TRUE(w.cmdCopy->isEnabled());
    EXPECT_FALSE(w.tmrSleep->isActive());

    // Minimised anyway, by a window manager that offers it, the window comes
    // back: the editor is hidden, and nothing else of the program would show.
    w.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(waitUntil([&] { return !w.isMinimized() && w.isVisible(); }));
}

TEST_F(CaptureWindowTest, OpensWhereTheEditorWasButNeverAboveOrLeftOfTheScreen) {
    EXPECT_EQ(open(QPoint(3000, 1500)).pos(), QPoint(200, 100));  // twips
    EXPECT_EQ(open(QPoint(750, -450)).pos(), QPoint(50, 0));
    EXPECT_EQ(open(QPoint(-15000, 300)).pos(), QPoint(0, 20));
}

TEST_F(CaptureWindowTest, ShowsTheStoredOptions) {
    const auto shown = [this] {
        return std::tuple(window->optColor[0]->isChecked(), window->optColor[2]->isChecked(),
                          window->txtTim->text(), window->chkCopy->isChecked(),
                          window->chkAct->isChecked());
    };
    settings.captureColor = 2;
    settings.captureDelay = 5;
    settings.captureContinuous = 0;
    settings.captureActiveWindow = 1;
    open();
    EXPECT_EQ(shown(), std::tuple(false, true, u"5"_s, false, true));

    // Continuous mode read from the settings applies the rule of its tick.
    settings.captureDelay = 2;
    settings.captureContinuous = 1;
    open();
    EXPECT_EQ(shown(), std::tuple(false, true, u"3"_s, true, true));

    // Values only a hand-edited file holds show the nearest choice.
    for (const auto& [colour, delay, nearest] : {std::tuple{7, 42, "9"}, {-1, -3, "0"}}) {
        settings = AppSettings();
        settings.captureColor = static_cast<std::int16_t>(colour);
        settings.captureDelay = static_cast<std::int16_t>(delay);
        open();
        EXPECT_EQ(shown(), std::tuple(true, false, QString::fromLatin1(nearest), false, false));
    }
}

TEST_F(CaptureWindowTest, TickingContinuousRaisesAShortDelayToThreeOfOneDigit) {
    frmCopy& w = open();
    for (const auto& [delay, raised] :
         {std::pair{"0", "3"}, {"2", "3"}, {"3", "3"}, {"", "3"}, {"x", "3"}, {"4", "4"}}) {
        w.chkCopy->setChecked(false);
        w.txtTim->setText(QString::fromLatin1(delay));
        w.chkCopy->click();
        EXPECT_TRUE(w.chkCopy->isChecked());
        EXPECT_EQ(w.txtTim->text(), QString::fromLatin1(raised)) << "delay '" << delay << "'";
    }
    // Unticking changes nothing.
    w.txtTim->setText(u"1"_s);
    w.chkCopy->click();
    EXPECT_FALSE(w.chkCopy->isChecked());
    EXPECT_EQ(w.txtTim->text(), u"1"_s);

    // The delay box takes one digit only.
    w.txtTim->setText(u"0"_s);
    QTest::keyClick(w.txtTim, Qt::Key_A);
    EXPECT_EQ(w.txtTim->text(), u"0"_s) << "a letter is no delay";
    w.txtTim->selectAll();
    QTest::keyClicks(w.txtTim, u"74"_s);
    EXPECT_EQ(w.txtTim->text(), u"7"_s);
    w.txtTim->selectAll();
    QTest::keyClick(w.txtTim, Qt::Key_Minus);
    EXPECT_EQ(w.txtTim->text(), u"7"_s);
}

TEST_F(CaptureWindowTest, ClosingStoresTheChoicesInTheSettings) {
    const auto stored = [this] {
        return std::tuple(settings.captureColor, settings.captureDelay, settings.captureContinuous,
                          settings.captureActiveWindow);
    };
    frmCopy& w = open();
    w.optColor[1]->click();
    w.txtTim->setText(u"6"_s);
    w.chkCopy->click();
    w.chkAct->click();
    w.cmdEnd->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(stored(), std::tuple(1, 6, 1, 1));

    // The close box and Escape keep them the same way; an empty delay is 0.
    frmCopy& again = open();
    again.optColor[2]->click();
    again.txtTim->clear();
    again.chkCopy->click();
    again.close();
    EXPECT_EQ(stored(), std::tuple(2, 0, 0, 1));

    frmCopy& third = open();
    third.chkAct->click();
    QTest::keyClick(&third, Qt::Key_Escape);
    EXPECT_FALSE(third.isVisible());
    EXPECT_EQ(stored(), std::tuple(2, 0, 0, 0));
    EXPECT_EQ(settings.workFolder, work.path()) << "other settings stay";
}

TEST_F(CaptureWindowTest, AFullTableOrAShortContinuousDelayRefusesToRecord) {
    useRows(100, 100);
    frmCopy& full = open();
    full.cmdCopy->click();
    EXPECT_EQ(boxTexts(), QStringList{kTableFull});
    EXPECT_FALSE(full.tmrSleep->isActive());
    EXPECT_TRUE(full.cmdCopy->isEnabled());
    EXPECT_TRUE(full.isVisible()) << "only continuous mode closes on a full table";

    doc = MovieDoc();
    MessageBox::clearShownBoxes();
    frmCopy& w = open();
    w.chkCopy->click();
    w.txtTim->setText(u"2"_s);
    w.cmdCopy->click();
    EXPECT_EQ(boxTexts(), QStringList{kContinuousDelay});
    EXPECT_FALSE(w.tmrSleep->isActive());
    EXPECT_TRUE(w.txtTim->isEnabled());
    EXPECT_FALSE(w.cmdStop->isEnabled());
    // The delay can be typed at once.
    EXPECT_EQ(w.focusWidget(), w.txtTim);
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(CaptureWindowTest, RecordArmsTheDelayAndPauseCancelsIt) {
    frmCopy& w = open();
    w.txtTim->setText(u"1"_s);
    w.cmdCopy->click();
    EXPECT_TRUE(w.tmrSleep->isActive());
    EXPECT_GE(w.tmrSleep->interval(), 1000);
    for (QWidget* input :
         std::initializer_list<QWidget*>{w.cmdCopy, w.txtTim, w.chkCopy, w.chkAct, w.optColor[0],
                                         w.optColor[1], w.optColor[2]}) {
        EXPECT_FALSE(input->isEnabled()) << input->objectName().toStdString();
    }
    EXPECT_TRUE(w.cmdStop->isEnabled() && w.cmdEnd->isEnabled());

    w.cmdStop->click();
    EXPECT_FALSE(w.tmrSleep->isActive());
    EXPECT_TRUE(w.cmdCopy->isEnabled() && w.optColor[2]->isEnabled());
    EXPECT_FALSE(w.cmdStop->isEnabled());

    // Closing while waiting cancels the pending capture.
    w.cmdCopy->click();
    w.cmdEnd->click();
    EXPECT_FALSE(w.tmrSleep->isActive());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

// Without a display server every copy fails: the window says the save
// failed, with the path it tried, and stays usable; so with a work folder
// gone from under the editor.
TEST_F(CaptureWindowTest, ACopyThatFailsIsReportedAsAFailedSave) {
    makeFile(u"SW001.bmp"_s);
    frmCopy& w = open(QPoint(600, 300));
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_EQ(boxTexts(), QStringList{u"保存に失敗しました（下記で保存を試みました）\r\n"_s +
                                      workFile(u"SW002.bmp"_s)});
    // Nothing but the file that was there and the program's own record.
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({u".slidewright-files"_s, u".slidewright.lock"_s, u"SW001.bmp"_s}));
    EXPECT_EQ(w.nextFrameNo, 1);
    EXPECT_FALSE(doc.frames[1].inUse);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }));
    EXPECT_EQ(w.pos(), QPoint(40, 20)) << "back in place after the copy";
    EXPECT_TRUE(w.isVisible());

    ASSERT_TRUE(QDir(work.path()).removeRecursively());
    MessageBox::clearShownBoxes();
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(workFile(u"SW001.bmp"_s)));
    EXPECT_FALSE(QFileInfo::exists(work.path())) << "the folder is not made again";
}

TEST_F(CaptureWindowTest, WithoutTheDesktopPortalNoFrameIsAddedAndTheUserIsTold) {
    // A Wayland session whose bus cannot be reached has no portal to ask.
    MH_COPY::SetGrabber(std::make_unique<PortalGrabber>(
        QDBusConnection::connectToBus(u"unix:path=/nonexistent/slidewright-bus"_s, u"no bus"_s)));
    settings.captureActiveWindow = 1;
    frmCopy& w = open();
    for (int attempt = 0; attempt < 2; ++attempt) {
        w.cmdCopy->click();
        ASSERT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }, 3000));
    }
    // Only the whole screen can be asked for, said once; then each failure.
    EXPECT_EQ(boxTexts(&MessageBox::Shown::title),
              QStringList({u"ｱｸﾃｨﾌﾞ画面を記録"_s, u"記録中止"_s, u"記録中止"_s}));
    EXPECT_TRUE(MessageBox::shownBoxes().back().text.contains(u"xdg-desktop-portal"_s));
    EXPECT_TRUE(QDir(work.path()).isEmpty());
    EXPECT_FALSE(doc.frames[1].inUse);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(CaptureWindowTest, TheFirstFreeNameSkipsEverythingThatIsTakenUntilNoneIsLeft) {
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), u"SW001.bmp"_s);
    makeFile(u"SW001.bmp"_s);
    makeFile(u"SW002.bmp"_s);
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), u"SW003.bmp"_s);

    // A gap is filled first; numbers are not tied to rows.
    QFile::remove(workFile(u"SW001.bmp"_s));
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), u"SW001.bmp"_s);

    // A folder, a dangling link and a frame's missing picture all hold
    // their names.
    QDir(work.path()).mkdir(u"SW001.bmp"_s);
    QFile::link(work.path() + u"/nowhere"_s, workFile(u"SW003.bmp"_s));
    doc.frames[5].pictureFile = u"SW004.bmp"_s;
    doc.frames[6].soundFile = u"SW005.bmp"_s;
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), u"SW006.bmp"_s);
    EXPECT_FALSE(QFileInfo::exists(work.path() + u"/nowhere"_s));

    for (int n = 1; n <= 999; ++n) {
        const QString name = CaptureFiles::CaptureFileName(n);
        if (!QFileInfo(workFile(name)).exists() && !QFileInfo(workFile(name)).isSymLink()) {
            makeFile(name);
        }
    }
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), std::nullopt);

    // With every name taken, the capture is reported, not lost.
    frmCopy& w = open();
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, Icon::Critical);
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(u"SW999.bmp"_s));
    EXPECT_EQ(w.nextFrameNo, 1);
}

TEST(NoPortal, ABusWithoutThePortalFailsAtOnce) {
    // A private session bus that can start no services, so no portal.
    QProcess daemon;
    daemon.start(u"dbus-daemon"_s, {u"--nofork"_s, u"--print-address"_s,
                                    QStringLiteral("--config-file=" SLIDEWRIGHT_SOURCE_DIR
                                                   "/tests/data/private-bus/session.conf")});
    ASSERT_TRUE(daemon.waitForStarted()) << "dbus-daemon is missing (scripts/install-deps)";
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, u"private"_s);
        ASSERT_TRUE(bus.isConnected());
        PortalGrabber grabber(bus);
        // Missing, not NoAnswer: the bus said so at once, no waiting out
        // the portal's time.
        EXPECT_EQ(grabber.grabScreen().failure, GrabFailure::PortalMissing);
    }
    QDBusConnection::disconnectFromBus(u"private"_s);
    daemon.terminate();
    daemon.waitForFinished();
}

TEST(SessionChoice, AWaylandSessionCopiesThroughThePortalWhateverQtRunsOn) {
    // The session's variables go back as they were for the tests after.
    const char* const names[] = {"WAYLAND_DISPLAY", "DISPLAY", "XDG_SESSION_TYPE"};
    std::vector<std::optional<QByteArray>> saved;
    for (const char* name : names) {
        saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name))
                                                        : std::nullopt);
    }
    const auto restore = qScopeGuard([&] {
        for (std::size_t i = 0; i < saved.size(); ++i) {
            saved[i] ? qputenv(names[i], *saved[i]) : qunsetenv(names[i]);
        }
    });
    // XWayland's root shows no Wayland window, so the session decides.
    qputenv("WAYLAND_DISPLAY", "wayland-slidewright-test");
    qputenv("DISPLAY", ":4711");
    EXPECT_NE(dynamic_cast<PortalGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "wayland");
    EXPECT_NE(dynamic_cast<PortalGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("XDG_SESSION_TYPE");
    // An X11 session whose server cannot be reached copies nothing, and
    // neither does a session without a display.
    EXPECT_NE(dynamic_cast<NullGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("DISPLAY");
    const auto none = ScreenGrabber::create();
    ASSERT_NE(dynamic_cast<NullGrabber*>(none.get()), nullptr);
    EXPECT_EQ(none->grabScreen().failure, GrabFailure::NoScreen);
    EXPECT_EQ(none->grabActiveWindow().failure, GrabFailure::NoScreen);
}

}  // namespace
