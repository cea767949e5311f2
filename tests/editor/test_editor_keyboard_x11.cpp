// The editor under a real pointer and keyboard, on an X server with openbox:
// a click into a wait box lets typing replace what it shows, and Ctrl+S
// saves the package in place.
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "tests/QtWait.h"
#include "tests/XTools.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QWindow>

namespace {

class EditorByHand : public EditorTest {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb")
            << "run under an X server (tests/with_x.sh)";
        EditorTest::SetUp();
        ASSERT_TRUE(waitUntil([&] { return editor->windowHandle()->isExposed(); }, 15000));
        ASSERT_TRUE(XTools::Activate(editor->winId()));
    }

    // Clicks into the box and types; the text the box then shows.
    static std::string clickAndType(QLineEdit* box, const QString& typed, const QString& expected) {
        XTools::Click(box);
        EXPECT_TRUE(waitUntil([&] { return box->hasFocus(); })) << box->objectName().toStdString();
        XTools::Run("xdotool", {"type", typed});
        waitUntil([&] { return box->text() == expected; }, 3000);
        return box->text().toStdString();
    }
};

TEST_F(EditorByHand, AClickIntoAWaitBoxSelectsItsTextSoTypingReplacesIt) {
    addFrame(1, "a.bmp", Qt::red, 0);
    addFrame(2, "b.bmp", Qt::green, 2500);
    addFrame(11, "c.bmp", Qt::blue, 1000);
    FrameRows* rows = editor->rows();
    rows->DrawFrameRows(1);
    rows->selectAdvanceMode(1);
    rows->txtLoop->setText("3");

    EXPECT_EQ(clickAndType(rows->txtWait[0], "5", "5"), "5");
    // Three characters already, over the two-character limit: typing
    // replaces them rather than being refused.
    EXPECT_EQ(clickAndType(rows->txtWait[1], "4", "4"), "4");
    EXPECT_EQ(clickAndType(rows->txtLoop, "12", "12"), "12");
    EXPECT_EQ(movie.frames[1].waitMs, 5000);
    EXPECT_EQ(movie.frames[2].waitMs, 4000);

    rows->cmdNext_Click();
    ASSERT_EQ(rows->txtWait[0]->text(), "1");
    EXPECT_EQ(clickAndType(rows->txtWait[0], "7", "7"), "7");
    // A second click, left of the digit and too far off to make a
    // double-click, places the cursor as usual.
    XTools::Click(rows->txtWait[0], QPoint(-8, 0));
    XTools::Run("xdotool", {"type", "5"});
    EXPECT_TRUE(waitUntil([&] { return rows->txtWait[0]->text() == "57"; }))
        << rows->txtWait[0]->text().toStdString();
    XTools::Run("xdotool", {"key", "Tab"});
    EXPECT_TRUE(waitUntil([&] { return movie.frames[11].waitMs == 57000; }));
}

TEST_F(EditorByHand, CtrlSSavesAChangedPackageInPlace) {
    addFrame(1, "a.bmp", Qt::red, 1000);
    FrameRows* rows = editor->rows();
    rows->DrawFrameRows(1);
    rows->selectAdvanceMode(1);
    const QString path = scratch.filePath("movie.sdw");
    ASSERT_TRUE(saveAs(path));
    const QByteArray before = readFile(path);
    FileDialogs::clearAskedDialogs();

    EXPECT_EQ(clickAndType(rows->txtWait[0], "8", "8"), "8");
    XTools::Run("xdotool", {"key", "Tab"});
    ASSERT_TRUE(waitUntil([&] { return editor->state().modified; }));
    XTools::Run("xdotool", {"key", "ctrl+s"});
    ASSERT_TRUE(waitUntil([&] { return !editor->state().modified; }, 10000))
        << "Ctrl+S did not save";
    EXPECT_TRUE(FileDialogs::askedDialogs().empty()) << "saved in place, without a dialog";
    EXPECT_EQ(movie.packagePath, path);
    EXPECT_NE(readFile(path), before);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    // What was saved is what was typed.
    open(path);
    EXPECT_EQ(movie.frames[1].waitMs, 8000);
}

}  // namespace
