// Editing a frame's picture in the desktop's default application for BMP
// files: a real program found through a desktop entry and mimeapps.list in
// the test's own XDG folders, started and waited for.
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/ThumbnailCache.h"
#include "moviefile/MovieMessages.h"
#include "tests/DesktopSandbox.h"
#include "tests/QtWait.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

class FrameEdit : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        // Only the test's applications: the system's own image viewers would
        // answer for BMP otherwise.
        desktop = std::make_unique<DesktopSandbox>(scratch.filePath("share"));
        qputenv("EDIT_STARTED", QFile::encodeName(startedFlag()));
        qputenv("EDIT_GO", QFile::encodeName(goFlag()));

        addFrame(1, "one.bmp", Qt::red);
        addFrame(2, "two.bmp", Qt::green);
        editor->rows()->DrawFrameRows(1);
        editor->state().modified = false;
        editor->state().selectedRow = 1;
        MessageBox::clearShownBoxes();
    }

    // One of the stand-in picture editors of tests/data/frame-edit, copied
    // under a name with a blank, made the default application for BMP
    // pictures.
    void registerEditor(const char* script) {
        const QString path = scratch.filePath("bmp editor.sh");
        ASSERT_TRUE(writeExecutable(
            path, readFile(QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/frame-edit/") +
                           QString::fromLatin1(script))));
        writeFile(desktop->applications + QStringLiteral("/test-bmp-editor.desktop"),
                  "[Desktop Entry]\nType=Application\nName=BMP editor\nExec=\"" + path.toUtf8() +
                      "\" %f\nMimeType=image/bmp;\n");
        writeFile(desktop->mimeApps,
                  "[Default Applications]\nimage/bmp=test-bmp-editor.desktop;\n");
    }

    // The waiting editor, to write `replacement` over the picture once the
    // test lets it go.
    void registerWaitingEditor(const QString& replacement) {
        qputenv("EDIT_WITH", QFile::encodeName(replacement));
        registerEditor("waiting-editor.sh");
    }

    QString startedFlag() const { return scratch.filePath("started"); }
    QString goFlag() const { return scratch.filePath("go"); }

    // The controls an edit locks that are not `enabled`: all but the
    // loop's and the sound names (the rows' pictures are no controls).
    QStringList lockedControlsNot(bool enabled) const {
        QStringList others;
        for (QWidget* control : editor->findChildren<QWidget*>()) {
            const QString name = control->objectName();
            if ((qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control)) &&
                !name.startsWith(u"qt_") && !name.startsWith(u"txtSound") &&
                !name.contains(u"Loop") && control->isEnabled() != enabled) {
                others << name;
            }
        }
        for (QAction* menu : editor->menuBar()->actions()) {
            for (QAction* item : menu->menu()->actions() + QList{menu}) {
                if (item->isEnabled() != enabled) {
                    others << item->objectName() + item->text();
                }
            }
        }
        return others;
    }

    std::unique_ptr<DesktopSandbox> desktop;
};

TEST_F(FrameEdit, TheRowShowsEditingWhileTheProgramRunsThenTheNewPicture) {
    const QString blue = scratchPicture("blue.bmp", Qt::blue, QSize(80, 60));
    registerWaitingEditor(blue);
    // What the rows show is cached; the edit rewrites the file in place.
    ASSERT_EQ(rowColour(1), QColor(Qt::green));

    bool checkedDuringEdit = false;
    QTimer::singleShot(0, editor, [&] {
        // Whatever fails here, the program is let go so the test ends.
        const auto letGo = qScopeGuard([&] { QFile(goFlag()).open(QIODevice::WriteOnly); });
        ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(startedFlag()); }));
        PictureBox* box = editor->rows()->picDat[1];
        EXPECT_EQ(box->printedText(), "編集中");
        EXPECT_NE(rowColour(1), QColor(Qt::green));
        EXPECT_EQ(lockedControlsNot(false), QStringList());
        // What an edit leaves alone.
        EXPECT_TRUE(editor->rows()->chkLoop->isEnabled());
        EXPECT_TRUE(editor->rows()->txtLoop->isEnabled());
        EXPECT_TRUE(editor->rows()->picDat[0]->isEnabled());
        EXPECT_EQ(rowColour(0), QColor(Qt::red));
        // A right-click on a row offers nothing meanwhile, and the window
        // does not close under the running edit.
        editor->rows()->picDat_MouseUp(0, Qt::RightButton, QPoint(10, 10));
        EXPECT_FALSE(editor->mnuMClick->isVisible());
        EXPECT_FALSE(editor->close());
        EXPECT_TRUE(editor->isVisible());
        checkedDuringEdit = true;
    });
    editor->mnuBmpEdit_Click();

    EXPECT_TRUE(checkedDuringEdit);
    // The program was given the picture's full path as one argument.
    EXPECT_EQ(readFile(startedFlag()), workFile("two.bmp").toUtf8() + "\n");
    EXPECT_EQ(readFile(workFile("two.bmp")), readFile(blue));
    EXPECT_EQ(rowColour(1), QColor(Qt::blue));
    EXPECT_TRUE(editor->rows()->picDat[1]->printedText().isEmpty());
    EXPECT_EQ(lockedControlsNot(true), QStringList());
    EXPECT_TRUE(editor->state().modified);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_EQ(movie.frames[2].pictureFile, "two.bmp");
}

TEST_F(FrameEdit, AnUnchangedPictureStillMarksTheDocumentModified) {
    registerEditor("leaves-it.sh");
    // Chosen from the row's menu, as the user does.
    QTest::mouseClick(editor->rows()->picDat[1], Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(waitUntil([&] { return editor->mnuMClick->isVisible(); }));
    QTest::mouseClick(editor->mnuMClick, Qt::LeftButton, {},
                      editor->mnuMClick->actionGeometry(editor->mnuBmpEdit).center());
    ASSERT_TRUE(waitUntil([&] { return editor->state().modified; }));
    EXPECT_TRUE(QFileInfo::exists(startedFlag()));
    EXPECT_EQ(rowColour(1), QColor(Qt::green));
    EXPECT_EQ(lockedControlsNot(true), QStringList());
}

// Without an editor for BMP pictures, or without the picture, nothing
// starts and nothing changes. Which entry is the editor is the lookup's
// own test (test_run_and_wait).
TEST_F(FrameEdit, WithoutAnEditorOrAPictureNothingHappens) {
    editor->mnuBmpEdit_Click();
    EXPECT_EQ(rowColour(1), QColor(Qt::green));
    EXPECT_TRUE(editor->rows()->picDat[1]->printedText().isEmpty());

    registerEditor("leaves-it.sh");
    QFile::remove(workFile("two.bmp"));
    editor->mnuBmpEdit_Click();
    EXPECT_FALSE(QFileInfo::exists(startedFlag()));
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(lockedControlsNot(true), QStringList());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameEdit, AProgramThatCannotStartGivesTheControlsBack) {
    // The file exists and is executable, but its interpreter does not.
    registerEditor("no-interpreter.sh");
    editor->mnuBmpEdit_Click();
    EXPECT_EQ(lockedControlsNot(true), QStringList());
    EXPECT_EQ(rowColour(1), QColor(Qt::green));
    EXPECT_TRUE(editor->rows()->picDat[1]->printedText().isEmpty());
    EXPECT_TRUE(editor->state().modified);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameEdit, APngOrJpegFromTheProgramBecomesTheFramesBmp) {
    const QString two = workFile("two.bmp");
    // Saved beside the picture under its name, as editors that write only
    // their own formats do.
    const QString png = scratch.filePath("magenta.png");
    ASSERT_TRUE(QImage::fromData(bmpOf(Qt::magenta)).save(png, "PNG"));
    qputenv("EDIT_WITH", QFile::encodeName(png));
    registerEditor("saves-png-beside.sh");
    editor->mnuBmpEdit_Click();
    EXPECT_EQ(bmpBits(readFile(two)), 24);
    EXPECT_EQ(rowColour(1), QColor(Qt::magenta));

    // A JPEG written into the picture's own file, which frame 5 shows too
    // (frame 3 another one).
    addFrame(3, "three.bmp", Qt::yellow);
    movie.frames[5] = FrameEntry{true, "two.bmp", 0, {}};
    editor->rows()->DrawFrameRows(1);
    const QString jpeg = scratch.filePath("cyan.jpg");
    ASSERT_TRUE(QImage::fromData(bmpOf(Qt::cyan)).save(jpeg, "JPEG", 100));
    QFile(goFlag()).open(QIODevice::WriteOnly);
    registerWaitingEditor(jpeg);
    editor->mnuBmpEdit_Click();
    EXPECT_EQ(bmpBits(readFile(two)), 24);
    for (int r : {1, 4}) {
        const QColor shown = rowColour(r);
        EXPECT_TRUE(shown.red() < 20 && shown.green() > 235 && shown.blue() > 235) << r;
    }
    EXPECT_EQ(rowColour(0), QColor(Qt::red));
    EXPECT_EQ(rowColour(2), QColor(Qt::yellow));
    EXPECT_FALSE(rowColour(3).isValid());
    EXPECT_EQ(movie.frames[2].pictureFile, "two.bmp");
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameEdit, APictureSpoiledByTheProgramLeavesTheEditorRunning) {
    const QString junk = scratchFile("junk", "BM not a picture");
    QFile(goFlag()).open(QIODevice::WriteOnly);
    registerWaitingEditor(junk);
    editor->mnuBmpEdit_Click();

    EXPECT_EQ(boxes(), std::vector{boxOf(MovieMessage::InvalidPackage)});
    EXPECT_TRUE(endCodes.empty());
    EXPECT_FALSE(rowColour(1).isValid());
    EXPECT_EQ(rowColour(0), QColor(Qt::red));
    EXPECT_EQ(lockedControlsNot(true), QStringList());
    EXPECT_TRUE(editor->state().modified);
    // The frame stays, so the user may edit it again or delete it.
    EXPECT_EQ(movie.frames[2].pictureFile, "two.bmp");
}

}  // namespace
