#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "settings/SettingsFile.h"
#include "tests/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

using Answer = MessageBox::Answer;

TEST_F(EditorTest, WindowIsWellFormedInEveryAdvanceMode) {
    // The widest waits a box takes as typed, and a package's half seconds.
    addFrame(1, "a.bmp", Qt::red, -9000);
    addFrame(2, "b.bmp", Qt::green, 99000);
    addFrame(3, "c.bmp", Qt::blue, 1500);
    editor->rows()->DrawFrameRows(1);
    for (int mode : {0, 1, 2}) {
        editor->rows()->selectAdvanceMode(mode);
        SCOPED_TRACE(mode);
        WindowChecks::expectWellFormed(editor);
    }
    // The widest row numbers.
    editor->rows()->cmdNext_Click();
    WindowChecks::expectTextsWhole(editor);
}

TEST_F(EditorTest, ANewDocumentStartsInManualModeAndTheRowsFollowTheMode) {
    EXPECT_TRUE(movie.packagePath.isEmpty());
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(movie.packageFolder, settings.saveFolder + "/");
    FrameRows* rows = editor->rows();
    EXPECT_TRUE(rows->optJidou[0]->isChecked());
    EXPECT_FALSE(rows->txtWait[0]->isVisibleTo(editor)) << "manual mode: no wait boxes";
    rows->selectAdvanceMode(2);
    EXPECT_TRUE(rows->txtWait[0]->isVisibleTo(editor));
    EXPECT_EQ(movie.advanceMode, 2);
    rows->selectAdvanceMode(0);
    EXPECT_FALSE(rows->txtWait[9]->isVisibleTo(editor));
    editor->state().modified = false;
    rows->optJidou[0]->click();
    EXPECT_TRUE(editor->state().modified) << "choosing the same option again marks the document";
}

// Ticking the loop alone is no change: closing asks nothing, takes the
// editor's files and writes the settings.
TEST_F(EditorTest, ClosingAnUntouchedEditorAsksNothingAndWritesTheSettings) {
    addFrame(1, "a.bmp", Qt::red);
    editor->rows()->chkLoop->setChecked(true);
    editor->rows()->txtLoop->setText("12");
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(editor->close());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_FALSE(QFile::exists(workFile("a.bmp")));
    EXPECT_TRUE(readFile(SettingsFile::SettingsFilePath()).startsWith("[TOP   ],"));
}

TEST_F(EditorTest, CloseWithChangesAnsweredCancelKeepsEverythingAndNoDiscards) {
    addFrame(1, "a.bmp", Qt::red, 0, "s.wav", "RIFF");
    editor->rows()->DrawFrameRows(1);
    MessageBox::setNextAnswer(Answer::Cancel);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(endCodes.empty());
    EXPECT_TRUE(QFile::exists(workFile("a.bmp")));
    EXPECT_TRUE(editor->state().modified);

    MessageBox::setNextAnswer(Answer::No);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(boxTexts(), std::vector<QString>(2, "変更内容を保存しますか？"));
    EXPECT_EQ(endCodes.size(), 1u);
    EXPECT_TRUE(QDir(workFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(EditorTest, PagesShowTheirFramesAndTurnWithinTheTable) {
    addFrame(3, "c.bmp", Qt::blue, 0, "tune.mid");
    movie.frames[5].soundFile = "only.wav";
    FrameRows* rows = editor->rows();
    rows->DrawFrameRows(1);
    editor->state().modified = false;
    EXPECT_EQ(rowColour(2), QColor(Qt::blue));
    EXPECT_FALSE(rowColour(0).isValid());
    EXPECT_EQ(rows->txtSound[2]->text(), "tune.mid");
    EXPECT_EQ(rows->txtSound[4]->text(), "only.wav");
    rows->cmdBack_Click();
    EXPECT_EQ(editor->state().pageBase, 0);
    EXPECT_FALSE(editor->state().modified);

    rows->cmdNext_Click();
    for (int r = 0; r < 10; ++r) {
        EXPECT_FALSE(rowColour(r).isValid());
        EXPECT_TRUE(rows->txtSound[r]->text().isEmpty());
    }
    EXPECT_EQ(rows->lblNo[0]->text(), "No. 11");
    EXPECT_TRUE(editor->state().modified);
    for (int i = 0; i < 12; ++i) {
        rows->cmdNext->click();
    }
    EXPECT_EQ(editor->state().pageBase, 90);
    EXPECT_EQ(rows->lblList->text(), " 91-100");
    EXPECT_EQ(rows->lblNo[9]->text(), "No.100");
    rows->cmdBack->click();
    EXPECT_EQ(rows->lblList->text(), " 81- 90");
}

// Typed waits are stored when a box is left and when a page turns, each
// as its leading number; a stored wait shows whole, even beyond what the
// box lets one type.
TEST_F(EditorTest, WaitBoxesStoreTheLeadingNumberTyped) {
    addFrame(1, "a.bmp", Qt::red, 1500);
    addFrame(2, "b.bmp", Qt::green, 12500);
    FrameRows* rows = editor->rows();
    rows->selectAdvanceMode(1);
    EXPECT_EQ(rows->txtWait[0]->text(), "1.5");
    EXPECT_EQ(rows->txtWait[1]->text(), "12.5");
    rows->txtWait[1]->setFocus();
    rows->txtWait[1]->selectAll();
    QTest::keyClicks(rows->txtWait[1], "7");
    EXPECT_EQ(rows->txtWait[1]->text(), "7") << "typing over a full box replaces it";
    editor->state().modified = false;
    rows->txtWait[0]->setText("1.5");
    rows->txtWait_LostFocus(0);
    EXPECT_FALSE(editor->state().modified);
    const std::pair<const char*, int> cases[] = {
        {".5", 500}, {"ab", 0}, {"1a", 1000}, {"-5", -5000}};
    for (const auto& [typed, expected] : cases) {
        rows->txtWait[0]->setText(QString::fromLatin1(typed));
        rows->txtWait_LostFocus(0);
        EXPECT_EQ(movie.frames[1].waitMs, expected) << typed;
    }
    EXPECT_TRUE(editor->state().modified);
    rows->txtWait[1]->setText(".5");
    rows->txtWait[2]->setText("7");  // no frame there: not stored by a page turn
    rows->txtWait[4]->setText("3");
    rows->txtWait_LostFocus(4);  // but stored in its slot when left
    rows->cmdNext_Click();
    EXPECT_EQ(movie.frames[2].waitMs, 500);
    EXPECT_EQ(movie.frames[3].waitMs, 0);
    EXPECT_EQ(movie.frames[5].waitMs, 3000);
}

TEST_F(EditorTest, AnUnreadablePictureLeavesItsRowEmptyAndTheEditorRunning) {
    addFrame(1, "good.bmp", Qt::red);
    movie.frames[2] = FrameEntry{true, "broken.bmp", 0, {}};
    addWorkFile("broken.bmp", "BM not a picture");
    editor->rows()->DrawFrameRows(1);
    EXPECT_FALSE(editor->rows()->picDat[0]->picture().isNull());
    EXPECT_TRUE(editor->rows()->picDat[1]->picture().isNull());
    EXPECT_EQ(boxTexts(), std::vector<QString>{"ファイルが不正です"});
    EXPECT_TRUE(endCodes.empty());
    EXPECT_TRUE(editor->isEnabled());
}

TEST_F(EditorTest, EveryToolbarButtonRunsItsMenuItem) {
    for (const char* command :
         {"New", "FOpen", "FUwaSave", "FBetuSave", "OpenHozon", "Copy", "Preview", "Option"}) {
        auto* item = editor->findChild<QAction*>(QStringLiteral("mnu") + command);
        auto* button = editor->findChild<QToolButton*>(QStringLiteral("cmd") + command);
        ASSERT_TRUE(item && button) << command;
        int triggered = 0;
        auto connection = QObject::connect(item, &QAction::triggered, [&] { ++triggered; });
        // The commands themselves stay quiet: only the trigger is counted.
        QObject::disconnect(item, &QAction::triggered, editor, nullptr);
        button->click();
        EXPECT_EQ(triggered, 1) << command;
        QObject::disconnect(connection);
    }
}

TEST_F(EditorTest, PreviewPlaysTheCheckedFramesAndComesBack) {
    for (int k = 1; k <= 3; ++k) {
        addFrame(k, QStringLiteral("p%1.bmp").arg(k), Qt::cyan, 20);
    }
    editor->rows()->DrawFrameRows(1);
    editor->rows()->selectAdvanceMode(1);
    editor->state().modified = false;
    // Read once the player's own event loop runs.
    int framesDuring = 0;
    QTimer::singleShot(0, [&] {
        auto* player = editor->findChild<QWidget*>("frmMovie");
        framesDuring = player && player->isVisible() ? movie.frameCount : -1;
    });
    editor->mnuPreview_Click();
    EXPECT_EQ(framesDuring, 3);
    EXPECT_EQ(movie.frameCount, 100);
    EXPECT_TRUE(endCodes.empty()) << "a preview's end returns to the editor";
    EXPECT_FALSE(editor->state().modified);
    EXPECT_TRUE(QFile::exists(workFile("p1.bmp"))) << "a preview deletes nothing";
}

TEST_F(EditorTest, PreviewOfAGapShowsItsMessageAndNoPlayer) {
    addFrame(1, "a.bmp", Qt::red);
    addFrame(3, "c.bmp", Qt::blue);
    editor->mnuPreview_Click();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_TRUE(
        MessageBox::shownBoxes()[0].text.startsWith("表示するデータの途中に空きがあります"));
    EXPECT_EQ(movie.frameCount, 100);
}

}  // namespace
