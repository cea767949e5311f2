// The capture window without a screen to copy (the offscreen platform): the
// kind of window it is, the rules of its fields, the settings it keeps, the
// refusals, pausing, and a copy that fails reported as a failed save.
#include "CaptureWindowFixture.h"
#include "capture/PortalGrabber.h"
#include "capture/window/CaptureFiles.h"
#include "tests/QtWait.h"
#include "tests/WindowChecks.h"

#include <algorithm>
#include <iterator>
#include <tuple>

#include <QApplication>
#include <QCheckBox>
#include <QDBusConnection>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using Icon = MessageBox::Icon;

const QString kTableFull = QStringLiteral("記録に失敗しました\r\n１００件まで登録されてます");
const QString kContinuousDelay = QStringLiteral("連続コピーする際は遅延秒数を３秒以上として下さい");

TEST_F(CaptureWindowTest, AFixedWellFormedWindowAtRest) {
    // The widest row number it shows.
    useRows(100, 100);
    frmCopy& w = open();
    EXPECT_EQ(w.txtNo->text(), QStringLiteral("101"));
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
    EXPECT_EQ(shown(), std::tuple(false, true, QStringLiteral("5"), false, true));

    // Continuous mode read from the settings applies the rule of its tick.
    settings.captureDelay = 2;
    settings.captureContinuous = 1;
    open();
    EXPECT_EQ(shown(), std::tuple(false, true, QStringLiteral("3"), true, true));

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
    w.txtTim->setText(QStringLiteral("1"));
    w.chkCopy->click();
    EXPECT_FALSE(w.chkCopy->isChecked());
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("1"));

    // The delay box takes one digit only.
    w.txtTim->setText(QStringLiteral("0"));
    QTest::keyClick(w.txtTim, Qt::Key_A);
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("0")) << "a letter is no delay";
    w.txtTim->selectAll();
    QTest::keyClicks(w.txtTim, QStringLiteral("74"));
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("7"));
    w.txtTim->selectAll();
    QTest::keyClick(w.txtTim, Qt::Key_Minus);
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("7"));
}

TEST_F(CaptureWindowTest, ClosingStoresTheChoicesInTheSettings) {
    const auto stored = [this] {
        return std::tuple(settings.captureColor, settings.captureDelay, settings.captureContinuous,
                          settings.captureActiveWindow);
    };
    frmCopy& w = open();
    w.optColor[1]->click();
    w.txtTim->setText(QStringLiteral("6"));
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
    w.txtTim->setText(QStringLiteral("2"));
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
    w.txtTim->setText(QStringLiteral("1"));
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
    makeFile(QStringLiteral("SW001.bmp"));
    frmCopy& w = open(QPoint(600, 300));
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_EQ(boxTexts(),
              QStringList{QStringLiteral("保存に失敗しました（下記で保存を試みました）\r\n") +
                          workFile(QStringLiteral("SW002.bmp"))});
    // Nothing but the file that was there and the program's own record.
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral(".slidewright-files"),
                           QStringLiteral(".slidewright.lock"), QStringLiteral("SW001.bmp")}));
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
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(workFile(QStringLiteral("SW001.bmp"))));
    EXPECT_FALSE(QFileInfo::exists(work.path())) << "the folder is not made again";
}

TEST_F(CaptureWindowTest, WithoutTheDesktopPortalNoFrameIsAddedAndTheUserIsTold) {
    // A Wayland session whose bus cannot be reached has no portal to ask.
    MH_COPY::SetGrabber(std::make_unique<PortalGrabber>(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/slidewright-bus"), QStringLiteral("no bus"))));
    settings.captureActiveWindow = 1;
    frmCopy& w = open();
    for (int attempt = 0; attempt < 2; ++attempt) {
        w.cmdCopy->click();
        ASSERT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }, 3000));
    }
    QStringList titles;
    std::ranges::transform(MessageBox::shownBoxes(), std::back_inserter(titles),
                           &MessageBox::Shown::title);
    // Only the whole screen can be asked for, said once; then each failure.
    EXPECT_EQ(titles, QStringList({QStringLiteral("ｱｸﾃｨﾌﾞ画面を記録"), QStringLiteral("記録中止"),
                                   QStringLiteral("記録中止")}));
    EXPECT_TRUE(
        MessageBox::shownBoxes().back().text.contains(QStringLiteral("xdg-desktop-portal")));
    EXPECT_TRUE(QDir(work.path()).isEmpty());
    EXPECT_FALSE(doc.frames[1].inUse);
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(CaptureWindowTest, TheFirstFreeNameSkipsEverythingThatIsTakenUntilNoneIsLeft) {
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), QStringLiteral("SW001.bmp"));
    makeFile(QStringLiteral("SW001.bmp"));
    makeFile(QStringLiteral("SW002.bmp"));
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), QStringLiteral("SW003.bmp"));

    // A gap is filled first; numbers are not tied to rows.
    QFile::remove(workFile(QStringLiteral("SW001.bmp")));
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), QStringLiteral("SW001.bmp"));

    // A folder, a dangling link and a frame's missing picture all hold
    // their names.
    QDir(work.path()).mkdir(QStringLiteral("SW001.bmp"));
    QFile::link(work.path() + QStringLiteral("/nowhere"), workFile(QStringLiteral("SW003.bmp")));
    doc.frames[5].pictureFile = QStringLiteral("SW004.bmp");
    doc.frames[6].soundFile = QStringLiteral("SW005.bmp");
    EXPECT_EQ(CaptureFiles::FirstFreeName(work.path(), doc), QStringLiteral("SW006.bmp"));
    EXPECT_FALSE(QFileInfo::exists(work.path() + QStringLiteral("/nowhere")));

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
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(QStringLiteral("SW999.bmp")));
    EXPECT_EQ(w.nextFrameNo, 1);
}

}  // namespace
