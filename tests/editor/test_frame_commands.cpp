// The row menu's insert and delete: how the frame table moves, which files
// of the work folder go, and what the rows show afterwards.
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "tests/QtWait.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <map>

namespace {

const QColor kColours[] = {Qt::red,      Qt::green,    Qt::blue,        Qt::cyan,
                           Qt::magenta,  Qt::yellow,   Qt::darkRed,     Qt::darkGreen,
                           Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta, Qt::darkYellow};

QString pictureName(int k) {
    return QStringLiteral("f%1.bmp").arg(k, 2, 10, QLatin1Char('0'));
}

QString soundName(int k) {
    return QStringLiteral("s%1.wav").arg(k, 2, 10, QLatin1Char('0'));
}

bool sameFrame(const FrameEntry& a, const FrameEntry& b) {
    return a.inUse == b.inUse && a.pictureFile == b.pictureFile && a.waitMs == b.waitMs &&
           a.soundFile == b.soundFile;
}

bool cleared(const FrameEntry& f) {
    return sameFrame(f, FrameEntry());
}

class FrameCommands : public EditorTest {
protected:
    // Frames 1 to n, each with its own colour and wait; odd frames also
    // have a sound file.
    void makeMovie(int n) {
        for (int k = 1; k <= n; ++k) {
            const QString sound = k % 2 == 1 ? soundName(k) : QString();
            addFrame(k, pictureName(k), kColours[(k - 1) % 12], k * 100, sound);
            if (!sound.isEmpty()) {
                writeFile(sound, "RIFF" + QByteArray::number(k));
            }
        }
        editor->rows()->DrawFrameRows(1);
        before = movieDoc().frames;
        filesBefore = workFiles();
        editor->state().modified = false;
    }

    void writeFile(const QString& name, const QByteArray& bytes) { addWorkFile(name, bytes); }

    // Every file of the work folder with its contents.
    static std::map<QString, QByteArray> workFiles() {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(WorkFolder::path()).entryList(QDir::Files)) {
            files[name] = readFile(WorkFolder::filePath(name));
        }
        return files;
    }

    void selectRow(int pageBase, int row) {
        editor->state().pageBase = pageBase;
        editor->state().selectedRow = row;
    }

    // The colour in the middle of row r's thumbnail; invalid when empty.
    QColor rowColour(int r) const {
        const QImage& picture = editor->rows()->picDat[r]->picture();
        if (picture.isNull()) {
            return {};
        }
        return picture.pixelColor(picture.width() / 2, picture.height() / 2);
    }

    std::vector<FrameEntry> before;
    std::map<QString, QByteArray> filesBefore;
};

TEST_F(FrameCommands, RightClickOffersInsertOnlyOnAPicture) {
    makeMovie(3);
    PictureBox* third = editor->rows()->picDat[2];
    QTest::mouseClick(third, Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(waitUntil([&] { return editor->mnuMClick->isVisible(); }));
    EXPECT_EQ(editor->state().selectedRow, 2);
    EXPECT_TRUE(editor->mnuBmpAdd->isVisible());
    EXPECT_TRUE(editor->mnuBmpEdit->isVisible());
    editor->mnuBmpAdd->trigger();
    editor->mnuMClick->close();
    EXPECT_TRUE(cleared(movieDoc().frames[3]));
    EXPECT_TRUE(sameFrame(movieDoc().frames[4], before[3]));

    QTest::mouseClick(third, Qt::RightButton, {}, QPoint(20, 20));
    ASSERT_TRUE(waitUntil([&] { return editor->mnuMClick->isVisible(); }));
    EXPECT_FALSE(editor->mnuBmpAdd->isVisible());
    EXPECT_FALSE(editor->mnuBmpEdit->isVisible());
    EXPECT_TRUE(editor->mnuBmpDel->isVisible());
    editor->mnuBmpDel->trigger();
    editor->mnuMClick->close();
    for (int k = 1; k <= 100; ++k) {
        EXPECT_TRUE(sameFrame(movieDoc().frames[k], before[k])) << k;
    }
}

TEST_F(FrameCommands, InsertMovesTheFollowingFramesDownAndTouchesNoFile) {
    makeMovie(12);
    selectRow(0, 4);
    editor->mnuBmpAdd_Click();

    const MovieDoc& doc = movieDoc();
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(sameFrame(doc.frames[k], before[k])) << k;
    }
    EXPECT_TRUE(cleared(doc.frames[5]));
    for (int k = 6; k <= 13; ++k) {
        EXPECT_TRUE(sameFrame(doc.frames[k], before[k - 1])) << k;
    }
    for (int k = 14; k <= 100; ++k) {
        EXPECT_TRUE(cleared(doc.frames[k])) << k;
    }
    EXPECT_EQ(workFiles(), filesBefore);
    EXPECT_TRUE(editor->state().modified);

    // Rows from the selected one on show the moved frames.
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(rowColour(r), kColours[r]) << r;
    }
    EXPECT_FALSE(rowColour(4).isValid());
    EXPECT_TRUE(editor->rows()->txtSound[4]->text().isEmpty());
    for (int r = 5; r < 10; ++r) {
        EXPECT_EQ(rowColour(r), kColours[r - 1]) << r;
        EXPECT_EQ(editor->rows()->txtSound[r]->text(), doc.frames[r + 1].soundFile) << r;
    }
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameCommands, InsertIntoAFullTableIsRefused) {
    makeMovie(12);
    FrameEntry& last = movieDoc().frames[100];
    last.inUse = true;
    last.pictureFile = QStringLiteral("last.bmp");
    last.waitMs = 700;
    before = movieDoc().frames;
    selectRow(0, 4);
    editor->mnuBmpAdd_Click();

    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    const MessageBox::Shown& box = MessageBox::shownBoxes().front();
    EXPECT_EQ(box.text, QStringLiteral("既に１００件あるみたいなので挿入できません"));
    EXPECT_EQ(box.title, QStringLiteral("挿入中止"));
    EXPECT_EQ(box.icon, MessageBox::Icon::Information);
    EXPECT_EQ(box.buttons, MessageBox::Buttons::Ok);
    for (int k = 1; k <= 100; ++k) {
        EXPECT_TRUE(sameFrame(movieDoc().frames[k], before[k])) << k;
    }
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(workFiles(), filesBefore);
}

TEST_F(FrameCommands, InsertGoesOverASoundAloneInTheLastSlot) {
    makeMovie(12);
    writeFile(QStringLiteral("last.wav"), "RIFFlast");
    movieDoc().frames[100].soundFile = QStringLiteral("last.wav");
    movieDoc().frames[100].waitMs = 900;
    filesBefore = workFiles();
    selectRow(90, 3);  // frame 94, on the last page
    editor->mnuBmpAdd_Click();

    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_TRUE(cleared(movieDoc().frames[94]));
    // Slot 100 took slot 99's (empty) fields: the sound's entry is gone, its
    // file stays.
    EXPECT_TRUE(cleared(movieDoc().frames[100]));
    EXPECT_EQ(workFiles(), filesBefore);
    for (int k = 1; k <= 12; ++k) {
        EXPECT_TRUE(sameFrame(movieDoc().frames[k], before[k])) << k;
    }
}

TEST_F(FrameCommands, DeleteRemovesTheFrameAndItsFiles) {
    makeMovie(12);
    selectRow(0, 2);
    editor->mnuBmpDel_Click();

    const MovieDoc& doc = movieDoc();
    for (int k = 1; k <= 2; ++k) {
        EXPECT_TRUE(sameFrame(doc.frames[k], before[k])) << k;
    }
    for (int k = 3; k <= 11; ++k) {
        EXPECT_TRUE(sameFrame(doc.frames[k], before[k + 1])) << k;
    }
    EXPECT_TRUE(cleared(doc.frames[12]));
    std::map<QString, QByteArray> expected = filesBefore;
    expected.erase(pictureName(3));
    expected.erase(soundName(3));
    EXPECT_EQ(workFiles(), expected);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(rowColour(2), kColours[3]);
    EXPECT_EQ(editor->rows()->txtSound[2]->text(), QString());  // frame 4 has no sound
    EXPECT_EQ(editor->rows()->txtSound[3]->text(), soundName(5));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameCommands, DeleteOnTheSecondPageAndOfAnEmptyRowClosesTheGap) {
    makeMovie(15);
    // An empty slot made by insert is taken out again by delete.
    selectRow(10, 1);  // frame 12
    editor->mnuBmpAdd_Click();
    EXPECT_TRUE(cleared(movieDoc().frames[12]));
    EXPECT_TRUE(sameFrame(movieDoc().frames[16], before[15]));
    editor->state().modified = false;
    editor->mnuBmpDel_Click();
    for (int k = 1; k <= 100; ++k) {
        EXPECT_TRUE(sameFrame(movieDoc().frames[k], before[k])) << k;
    }
    EXPECT_EQ(workFiles(), filesBefore);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(editor->rows()->lblList->text(), QStringLiteral(" 11- 20"));
    EXPECT_EQ(rowColour(1), kColours[11]);

    // A missing file is no error.
    QFile::remove(WorkFolder::filePath(pictureName(12)));
    editor->mnuBmpDel_Click();
    EXPECT_TRUE(sameFrame(movieDoc().frames[12], before[13]));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameCommands, DeleteKeepsAFileAnotherFrameStillNames) {
    makeMovie(4);
    // Frames 2 and 4 show the same picture and play the same sound.
    movieDoc().frames[4].pictureFile = pictureName(2);
    movieDoc().frames[4].soundFile = soundName(1);
    movieDoc().frames[2].soundFile = soundName(1);
    QFile::remove(WorkFolder::filePath(pictureName(4)));
    filesBefore = workFiles();

    selectRow(0, 1);
    editor->mnuBmpDel_Click();
    EXPECT_EQ(workFiles(), filesBefore);

    // The last frame naming them takes them with it.
    selectRow(0, 0);
    editor->mnuBmpDel_Click();  // frame 1: its sound is still named by frame 3
    EXPECT_TRUE(QFileInfo::exists(WorkFolder::filePath(soundName(1))));
    EXPECT_FALSE(QFileInfo::exists(WorkFolder::filePath(pictureName(1))));
    selectRow(0, 1);
    editor->mnuBmpDel_Click();  // the former frame 4
    EXPECT_FALSE(QFileInfo::exists(WorkFolder::filePath(pictureName(2))));
    EXPECT_FALSE(QFileInfo::exists(WorkFolder::filePath(soundName(1))));
    EXPECT_TRUE(QFileInfo::exists(WorkFolder::filePath(pictureName(3))));
    EXPECT_EQ(movieDoc().frames[1].pictureFile, pictureName(3));
    EXPECT_TRUE(cleared(movieDoc().frames[2]));
}

}  // namespace
