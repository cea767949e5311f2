// The row menu's insert and delete as the editor runs them: which files of
// the work folder go, what the rows show afterwards, and the refusal of a
// full table. How the table itself moves is the movie's (test_movie_doc).
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "tests/QtWait.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

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

class FrameCommands : public EditorTest {
protected:
    // Frames 1 to n, each with its own colour; odd frames also have a sound.
    void makeMovie(int n) {
        for (int k = 1; k <= n; ++k) {
            const QString sound = k % 2 == 1 ? soundName(k) : QString();
            addFrame(k, pictureName(k), kColours[(k - 1) % 12], k * 100, sound,
                     sound.isEmpty() ? QByteArray() : "RIFF" + QByteArray::number(k));
        }
        editor->rows()->DrawFrameRows(1);
        filesBefore = folderContents();
        editor->state().modified = false;
    }

    std::map<QString, QByteArray> folderContents() const {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(workFolder()).entryList(QDir::Files)) {
            files[name] = readFile(workFile(name));
        }
        return files;
    }

    void selectRow(int pageBase, int row) {
        editor->state().pageBase = pageBase;
        editor->state().selectedRow = row;
    }

    std::map<QString, QByteArray> filesBefore;
};

TEST_F(FrameCommands, RightClickOffersInsertOnlyOnAPicture) {
    makeMovie(3);
    PictureBox* third = editor->rows()->picDat[2];
    // The row menu's items offered on a right-click at the third row.
    auto offered = [&] {
        QTest::mouseClick(third, Qt::RightButton, {}, QPoint(20, 20));
        EXPECT_TRUE(waitUntil([&] { return editor->mnuMClick->isVisible(); }));
        QStringList items;
        for (QAction* item : {editor->mnuBmpAdd, editor->mnuBmpEdit, editor->mnuBmpDel}) {
            items << (item->isVisible() ? item->objectName() : QString());
        }
        return items;
    };
    EXPECT_EQ(offered(), QStringList({"mnuBmpAdd", "mnuBmpEdit", "mnuBmpDel"}));
    EXPECT_EQ(editor->state().selectedRow, 2);
    editor->mnuBmpAdd->trigger();
    editor->mnuMClick->close();
    EXPECT_FALSE(movie.frames[3].inUse);
    EXPECT_EQ(movie.frames[4].pictureFile, pictureName(3));

    EXPECT_EQ(offered(), QStringList({"", "", "mnuBmpDel"}));
    editor->mnuBmpDel->trigger();
    editor->mnuMClick->close();
    EXPECT_EQ(movie.frames[3].pictureFile, pictureName(3));
    EXPECT_EQ(movie.CheckFrameSequence().count, 3);

    int asked = 0;
    QObject::connect(editor->rows(), &FrameRows::rowMenuRequested, [&] { ++asked; });
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(asked, 0) << "a left click offers nothing";
}

TEST_F(FrameCommands, InsertRedrawsFromTheSelectedRowAndTouchesNoFileUntilTheTableIsFull) {
    makeMovie(12);
    selectRow(0, 4);
    editor->mnuBmpAdd_Click();

    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_TRUE(editor->state().modified);
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(rowColour(r), r == 4 ? QColor() : kColours[r < 4 ? r : r - 1]) << r;
        EXPECT_EQ(editor->rows()->txtSound[r]->text(), movie.frames[r + 1].soundFile) << r;
    }
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    // With frame 100 in use there is no room.
    movie.frames[100] = FrameEntry{true, "last.bmp", 700, {}};
    editor->state().modified = false;
    selectRow(0, 1);
    editor->mnuBmpAdd_Click();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"既に１００件あるみたいなので挿入できません"});
    EXPECT_EQ(movie.frames[2].pictureFile, pictureName(2));
    EXPECT_EQ(movie.frames[100].pictureFile, "last.bmp");
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(rowColour(1), kColours[1]);
}

TEST_F(FrameCommands, DeleteRemovesTheFrameAndItsFilesThenRedraws) {
    makeMovie(12);
    selectRow(0, 2);
    editor->mnuBmpDel_Click();

    std::map<QString, QByteArray> expected = filesBefore;
    expected.erase(pictureName(3));
    expected.erase(soundName(3));
    EXPECT_EQ(folderContents(), expected);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(rowColour(2), kColours[3]);
    EXPECT_EQ(editor->rows()->txtSound[2]->text(), QString());  // frame 4 has no sound
    EXPECT_EQ(editor->rows()->txtSound[3]->text(), soundName(5));

    // On the second page, of a frame whose file is already gone: no error.
    QFile::remove(workFile(pictureName(12)));
    selectRow(10, 0);  // frame 11, the former 12
    editor->mnuBmpDel_Click();
    EXPECT_EQ(editor->rows()->lblList->text(), " 11- 20");
    EXPECT_FALSE(rowColour(0).isValid());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(FrameCommands, DeleteKeepsAFileAnotherFrameStillNames) {
    makeMovie(4);
    // Frames 2 and 4 show the same picture and play the same sound.
    movie.frames[4].pictureFile = pictureName(2);
    movie.frames[4].soundFile = soundName(1);
    movie.frames[2].soundFile = soundName(1);
    QFile::remove(workFile(pictureName(4)));
    filesBefore = folderContents();

    selectRow(0, 1);
    editor->mnuBmpDel_Click();
    EXPECT_EQ(folderContents(), filesBefore);

    // The last frame naming them takes them with it.
    selectRow(0, 0);
    editor->mnuBmpDel_Click();  // frame 1: its sound is still named by frame 3
    EXPECT_TRUE(QFileInfo::exists(workFile(soundName(1))));
    EXPECT_FALSE(QFileInfo::exists(workFile(pictureName(1))));
    selectRow(0, 1);
    editor->mnuBmpDel_Click();  // the former frame 4
    EXPECT_FALSE(QFileInfo::exists(workFile(pictureName(2))));
    EXPECT_FALSE(QFileInfo::exists(workFile(soundName(1))));
    EXPECT_TRUE(QFileInfo::exists(workFile(pictureName(3))));
}

}  // namespace
