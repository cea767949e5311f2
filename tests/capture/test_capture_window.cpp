// The capture window without a screen to copy (the offscreen platform): its
// controls, the rules of its fields, the settings it keeps, the refusals,
// pausing, and a copy that fails reported as a failed save.
#include "CaptureWindowFixture.h"
#include "capture/PortalGrabber.h"
#include "capture/window/CaptureFiles.h"
#include "tests/QtWait.h"

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

TEST_F(CaptureWindowTest, ControlsCarryTheirNamesCaptionsAndTips) {
    frmCopy& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Slidewright　記録"));
    struct Expected {
        const char* name;
        QString caption;
        QString tip;
    };
    const Expected controls[] = {
        {"cmdCopy", {}, QStringLiteral("スクリーンを記録")},
        {"cmdStop", {}, QStringLiteral("記録を一時停止")},
        {"cmdEnd", {}, QStringLiteral("記録を停止")},
        {"chkCopy", QStringLiteral("連続コピー"),
         QStringLiteral("指定した遅延秒数で連続的にコピーする")},
        {"chkAct", QStringLiteral("ｱｸﾃｨﾌﾞ画面を記録"), {}},
        {"optColor_0", QStringLiteral("そのまま"),
         QStringLiteral("スクリーンを記録する際の色指定")},
        {"optColor_1", QStringLiteral("256色に減色"),
         QStringLiteral("スクリーンを記録する際の色指定")},
        {"optColor_2", QStringLiteral(" 16色に減色"),
         QStringLiteral("スクリーンを記録する際の色指定")},
    };
    for (const Expected& c : controls) {
        auto* control = w.findChild<QAbstractButton*>(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->text(), c.caption) << c.name;
        EXPECT_EQ(control->toolTip(), c.tip) << c.name;
    }
    for (const char* name : {"cmdCopy", "cmdStop", "cmdEnd"}) {
        auto* button = w.findChild<QToolButton*>(QString::fromLatin1(name));
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_GE(button->iconSize().width(), 16) << name;
    }
    // Three different pictures, each with ink on it.
    const QImage record = w.cmdCopy->icon().pixmap(16).toImage();
    const QImage pause = w.cmdStop->icon().pixmap(16).toImage();
    const QImage stop = w.cmdEnd->icon().pixmap(16).toImage();
    EXPECT_NE(record, pause);
    EXPECT_NE(pause, stop);
    EXPECT_NE(record, stop);
    EXPECT_GT(qAlpha(record.pixel(8, 8)), 200);
    EXPECT_GT(qAlpha(stop.pixel(8, 8)), 200);
    EXPECT_EQ(qAlpha(pause.pixel(8, 8)), 0) << "a pause sign has a gap between its bars";

    auto* label = w.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("遅延秒数"));
    auto* delay = w.findChild<QLineEdit*>(QStringLiteral("txtTim"));
    ASSERT_NE(delay, nullptr);
    EXPECT_EQ(delay->maxLength(), 1);
    EXPECT_EQ(delay->toolTip(), QStringLiteral("記録までの遅延秒数　０～９秒"));
    auto* number = w.findChild<QLineEdit*>(QStringLiteral("txtNo"));
    ASSERT_NE(number, nullptr);
    EXPECT_TRUE(number->isReadOnly());
    EXPECT_EQ(number->maxLength(), 3);
    EXPECT_EQ(number->toolTip(), QStringLiteral("記録No"));
    EXPECT_NE(w.findChild<QTimer*>(QStringLiteral("tmrSleep")), nullptr);

    // At rest: only the pause button is off, and nothing is pending.
    EXPECT_FALSE(w.cmdStop->isEnabled());
    EXPECT_TRUE(w.cmdCopy->isEnabled());
    EXPECT_FALSE(w.tmrSleep->isActive());

    // A small tool window kept on top that never takes the focus, without
    // minimise or maximise boxes and of a fixed size.
    const Qt::WindowFlags flags = w.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
}

// Minimised anyway, by a window manager that offers it, the window comes
// back: the editor is hidden, and nothing else of the program would show.
TEST_F(CaptureWindowTest, AMinimisedWindowComesBackAtOnce) {
    frmCopy& w = open();
    w.setWindowState(Qt::WindowMinimized);
    EXPECT_TRUE(waitUntil([&] { return !w.isMinimized() && w.isVisible(); }));
}

TEST_F(CaptureWindowTest, NextFrameNoFollowsTheHighestRowInUse) {
    EXPECT_EQ(open().nextFrameNo, 1);
    EXPECT_EQ(window->txtNo->text(), QStringLiteral("1"));

    // Free rows below the highest do not count.
    movieDoc().frames[7].inUse = true;
    EXPECT_EQ(open().nextFrameNo, 8);
    EXPECT_EQ(window->txtNo->text(), QStringLiteral("8"));

    useRows(1, 100);
    EXPECT_EQ(open().nextFrameNo, 101);
    EXPECT_EQ(window->txtNo->text(), QStringLiteral("101"));

    // A name alone is no frame.
    movieDoc().resetFrames(MovieDoc::kEditorSlots);
    movieDoc().frames[40].pictureFile = QStringLiteral("SW001.bmp");
    EXPECT_EQ(CaptureFiles::NextFrameNo(movieDoc()), 1);
}

TEST_F(CaptureWindowTest, OpensWhereTheEditorWasButNeverAboveOrLeftOfTheScreen) {
    capturePosition = {1500, 3000};  // twips: 100 down, 200 across
    EXPECT_EQ(open().pos(), QPoint(200, 100));
    capturePosition = {-450, 750};
    EXPECT_EQ(open().pos(), QPoint(50, 0));
    capturePosition = {300, -15000};
    EXPECT_EQ(open().pos(), QPoint(0, 20));
}

TEST_F(CaptureWindowTest, ShowsTheStoredOptions) {
    appSettings().captureColor = 2;
    appSettings().captureDelay = 5;
    appSettings().captureContinuous = 0;
    appSettings().captureActiveWindow = 1;
    frmCopy& w = open();
    EXPECT_TRUE(w.optColor[2]->isChecked());
    EXPECT_FALSE(w.optColor[0]->isChecked());
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("5"));
    EXPECT_FALSE(w.chkCopy->isChecked());
    EXPECT_TRUE(w.chkAct->isChecked());

    // Continuous mode read from the settings applies the rule of its tick.
    appSettings().captureDelay = 2;
    appSettings().captureContinuous = 1;
    EXPECT_EQ(open().txtTim->text(), QStringLiteral("3"));
    EXPECT_TRUE(window->chkCopy->isChecked());

    // Values only a hand-edited file holds show the nearest choice.
    appSettings() = AppSettings();
    appSettings().captureColor = 7;
    appSettings().captureDelay = 42;
    EXPECT_TRUE(open().optColor[0]->isChecked());
    EXPECT_EQ(window->txtTim->text(), QStringLiteral("9"));
    appSettings().captureColor = -1;
    appSettings().captureDelay = -3;
    EXPECT_TRUE(open().optColor[0]->isChecked());
    EXPECT_EQ(window->txtTim->text(), QStringLiteral("0"));
}

TEST_F(CaptureWindowTest, TickingContinuousRaisesAShortDelayToThree) {
    frmCopy& w = open();
    for (const char* delay : {"0", "1", "2", "3", "", "x"}) {
        w.chkCopy->setChecked(false);
        w.txtTim->setText(QString::fromLatin1(delay));
        w.chkCopy->click();
        EXPECT_TRUE(w.chkCopy->isChecked());
        EXPECT_EQ(w.txtTim->text(), QStringLiteral("3")) << "delay '" << delay << "'";
    }
    for (const char* delay : {"4", "5", "9"}) {
        w.chkCopy->setChecked(false);
        w.txtTim->setText(QString::fromLatin1(delay));
        w.chkCopy->click();
        EXPECT_EQ(w.txtTim->text(), QString::fromLatin1(delay));
    }
    // Unticking changes nothing.
    w.txtTim->setText(QStringLiteral("1"));
    w.chkCopy->click();
    EXPECT_FALSE(w.chkCopy->isChecked());
    EXPECT_EQ(w.txtTim->text(), QStringLiteral("1"));
}

TEST_F(CaptureWindowTest, TheDelayBoxTakesOneDigitOnly) {
    frmCopy& w = open();
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
    frmCopy& w = open();
    w.optColor[1]->click();
    w.txtTim->setText(QStringLiteral("6"));
    w.chkCopy->click();
    w.chkAct->click();
    w.cmdEnd->click();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(appSettings().captureColor, 1);
    EXPECT_EQ(appSettings().captureDelay, 6);
    EXPECT_EQ(appSettings().captureContinuous, 1);
    EXPECT_EQ(appSettings().captureActiveWindow, 1);

    // The close box and Escape keep them the same way; an empty delay is 0.
    frmCopy& again = open();
    again.optColor[2]->click();
    again.txtTim->clear();
    again.chkCopy->click();
    again.close();
    EXPECT_EQ(appSettings().captureColor, 2);
    EXPECT_EQ(appSettings().captureDelay, 0);
    EXPECT_EQ(appSettings().captureContinuous, 0);
    EXPECT_EQ(appSettings().captureActiveWindow, 1);

    frmCopy& third = open();
    third.chkAct->click();
    QTest::keyClick(&third, Qt::Key_Escape);
    EXPECT_FALSE(third.isVisible());
    EXPECT_EQ(appSettings().captureActiveWindow, 0);
    EXPECT_EQ(appSettings().workFolder, work.path()) << "other settings stay";
}

TEST_F(CaptureWindowTest, AFullTableRefusesToRecord) {
    useRows(100, 100);
    frmCopy& w = open();
    w.cmdCopy->click();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    const auto& box = MessageBox::shownBoxes()[0];
    EXPECT_EQ(box.text, kTableFull);
    EXPECT_EQ(box.title, QStringLiteral("記録中止"));
    EXPECT_EQ(box.icon, Icon::Exclamation);
    EXPECT_FALSE(w.tmrSleep->isActive());
    EXPECT_TRUE(w.cmdCopy->isEnabled());
    EXPECT_TRUE(w.isVisible()) << "only continuous mode closes on a full table";
}

TEST_F(CaptureWindowTest, ContinuousModeRefusesADelayBelowThree) {
    frmCopy& w = open();
    w.chkCopy->click();
    w.txtTim->setText(QStringLiteral("2"));
    w.cmdCopy->click();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    const auto& box = MessageBox::shownBoxes()[0];
    EXPECT_EQ(box.text, kContinuousDelay);
    EXPECT_EQ(box.title, QStringLiteral("記録中止"));
    EXPECT_EQ(box.icon, Icon::Information);
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
    EXPECT_TRUE(w.tmrSleep->isSingleShot());
    EXPECT_EQ(w.tmrSleep->interval(), 1005);
    for (QWidget* input :
         std::initializer_list<QWidget*>{w.cmdCopy, w.txtTim, w.chkCopy, w.chkAct, w.optColor[0],
                                         w.optColor[1], w.optColor[2]}) {
        EXPECT_FALSE(input->isEnabled()) << input->objectName().toStdString();
    }
    EXPECT_TRUE(w.cmdStop->isEnabled());
    EXPECT_TRUE(w.cmdEnd->isEnabled());

    w.cmdStop->click();
    EXPECT_FALSE(w.tmrSleep->isActive());
    EXPECT_TRUE(w.cmdCopy->isEnabled());
    EXPECT_TRUE(w.optColor[2]->isEnabled());
    EXPECT_FALSE(w.cmdStop->isEnabled());
    // Past the delay nothing was copied: without a screen a copy would have
    // been reported as a failed save.
    QTest::qWait(1300);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_TRUE(QDir(work.path()).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(captureSaved);
}

TEST_F(CaptureWindowTest, ClosingWhileWaitingCancelsThePendingCapture) {
    frmCopy& w = open();
    w.cmdCopy->click();
    w.cmdEnd->click();
    EXPECT_FALSE(w.tmrSleep->isActive());
    QTest::qWait(100);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

// Without a display server every copy fails: the window says the save
// failed, with the path it tried, and stays usable.
TEST_F(CaptureWindowTest, ACopyThatFailsIsReportedAsAFailedSave) {
    makeFile(QStringLiteral("SW001.bmp"));
    capturePosition = {300, 600};
    frmCopy& w = open();
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    const auto& box = MessageBox::shownBoxes()[0];
    EXPECT_EQ(box.text, QStringLiteral("保存に失敗しました（下記で保存を試みました）") +
                            QStringLiteral("\r\n") + workFile(QStringLiteral("SW002.bmp")));
    EXPECT_EQ(box.title, QStringLiteral("エラー"));
    EXPECT_EQ(box.icon, Icon::Critical);
    // Nothing but the file that was there and the program's own record.
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral(".slidewright-files"),
                           QStringLiteral(".slidewright.lock"), QStringLiteral("SW001.bmp")}));
    EXPECT_EQ(w.nextFrameNo, 1);
    EXPECT_FALSE(movieDoc().frames[1].inUse);
    EXPECT_FALSE(captureSaved);
    EXPECT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }));
    EXPECT_FALSE(w.cmdStop->isEnabled());
    EXPECT_EQ(w.pos(), QPoint(40, 20)) << "back in place after the copy";
    EXPECT_TRUE(w.isVisible());
}

TEST_F(CaptureWindowTest, WithoutTheDesktopPortalNoFrameIsAddedAndTheUserIsTold) {
    // A Wayland session whose bus cannot be reached has no portal to ask.
    MH_COPY::SetGrabber(std::make_unique<PortalGrabber>(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/slidewright-bus"), QStringLiteral("no bus"))));
    appSettings().captureActiveWindow = 1;
    frmCopy& w = open();
    for (int attempt = 0; attempt < 2; ++attempt) {
        w.cmdCopy->click();
        ASSERT_TRUE(waitUntil([&] { return w.cmdCopy->isEnabled(); }, 3000));
    }
    QStringList titles;
    for (const auto& box : MessageBox::shownBoxes()) {
        titles << box.title;
    }
    // Only the whole screen can be asked for, said once; then each failure.
    EXPECT_EQ(titles, QStringList({QStringLiteral("ｱｸﾃｨﾌﾞ画面を記録"), QStringLiteral("記録中止"),
                                   QStringLiteral("記録中止")}));
    EXPECT_TRUE(
        MessageBox::shownBoxes().back().text.contains(QStringLiteral("xdg-desktop-portal")));
    EXPECT_TRUE(QDir(work.path()).isEmpty());
    EXPECT_FALSE(movieDoc().frames[1].inUse);
    EXPECT_EQ(w.nextFrameNo, 1);
    EXPECT_FALSE(captureSaved);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(CaptureWindowTest, AMissingWorkFolderIsAFailedSaveToo) {
    const QString gone = work.path() + QStringLiteral("/gone");
    WorkFolder::setPath(gone);
    frmCopy& w = open();
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(gone + QStringLiteral("/SW001.bmp")));
    EXPECT_FALSE(QFileInfo::exists(gone));
}

TEST(CaptureFiles, NamesAreSWAndThreeDigits) {
    EXPECT_EQ(CaptureFiles::CaptureFileName(1), QStringLiteral("SW001.bmp"));
    EXPECT_EQ(CaptureFiles::CaptureFileName(42), QStringLiteral("SW042.bmp"));
    EXPECT_EQ(CaptureFiles::CaptureFileName(999), QStringLiteral("SW999.bmp"));
    EXPECT_EQ(CaptureFiles::ColoursForOption(0), 0);
    EXPECT_EQ(CaptureFiles::ColoursForOption(1), 256);
    EXPECT_EQ(CaptureFiles::ColoursForOption(2), 16);
}

TEST_F(CaptureWindowTest, TheFirstFreeNameSkipsEverythingThatIsTaken) {
    MovieDoc& doc = movieDoc();
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
}

TEST_F(CaptureWindowTest, WhenEveryNameIsTakenTheCaptureIsReportedNotLost) {
    for (int n = 1; n <= 999; ++n) {
        makeFile(CaptureFiles::CaptureFileName(n));
    }
    frmCopy& w = open();
    w.cmdCopy->click();
    ASSERT_TRUE(waitUntil([] { return !MessageBox::shownBoxes().empty(); }, 3000));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, Icon::Critical);
    EXPECT_TRUE(MessageBox::shownBoxes()[0].text.endsWith(QStringLiteral("SW999.bmp")));
    EXPECT_EQ(w.nextFrameNo, 1);
}

}  // namespace
