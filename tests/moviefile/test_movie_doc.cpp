// The movie's own operations: the frame table moving on insert and delete,
// the package path, and the questions a save, a preview and a capture ask.
#include "WholeFiles.h"
#include "moviefile/MovieDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

FrameEntry frame(int k, bool withSound = false) {
    return FrameEntry{true, QStringLiteral("f%1.bmp").arg(k), k * 100,
                      withSound ? QStringLiteral("s%1.wav").arg(k) : QString()};
}

std::string text(const FrameEntry& f) {
    return QStringLiteral("%1|%2|%3|%4")
        .arg(QString::number(f.inUse), f.pictureFile, QString::number(f.waitMs), f.soundFile)
        .toStdString();
}

// Every slot of the table, as text: one comparison shows what moved where.
std::vector<std::string> table(const MovieDoc& doc) {
    std::vector<std::string> rows;
    for (int k = 1; k <= 100; ++k) {
        rows.push_back(text(doc.frames[k]));
    }
    return rows;
}

MovieDoc movieOf(int n) {
    MovieDoc doc;
    for (int k = 1; k <= n; ++k) {
        doc.frames[k] = frame(k, k % 2 == 1);
    }
    return doc;
}

TEST(MovieDoc, InsertAndRemoveMoveTheFramesAndGiveBackTheSame) {
    MovieDoc doc = movieOf(12);
    ASSERT_EQ(doc.insertFrame(5), MovieDoc::InsertResult::Inserted);
    std::vector<std::string> moved = table(movieOf(12));
    moved.insert(moved.begin() + 4, text(FrameEntry()));
    moved.pop_back();
    EXPECT_EQ(table(doc), moved);
    EXPECT_EQ(doc.lastSlot(), 100);

    // Deleting the empty slot closes the gap again.
    EXPECT_EQ(text(doc.removeFrame(5).value_or(frame(0))), text(FrameEntry()));
    EXPECT_EQ(table(doc), table(movieOf(12)));

    EXPECT_EQ(text(doc.removeFrame(3).value_or(frame(0))), text(frame(3, true)));
    moved = table(movieOf(12));
    moved.erase(moved.begin() + 2);
    moved.push_back(text(FrameEntry()));
    EXPECT_EQ(table(doc), moved);

    EXPECT_EQ(doc.insertFrame(0), MovieDoc::InsertResult::NoSuchSlot);
    EXPECT_EQ(doc.insertFrame(101), MovieDoc::InsertResult::NoSuchSlot);
    EXPECT_FALSE(doc.removeFrame(101));
}

TEST(MovieDoc, InsertRefusesAPictureInTheLastSlotButOverwritesAnythingElse) {
    MovieDoc full = movieOf(3);
    full.frames[100] = frame(100);
    const MovieDoc before = full;
    EXPECT_EQ(full.insertFrame(2), MovieDoc::InsertResult::TableFull);
    EXPECT_EQ(table(full), table(before));

    // A sound and a wait alone in slot 100 give way to slot 99's nothing.
    MovieDoc soundOnly = movieOf(3);
    soundOnly.frames[100].soundFile = QStringLiteral("last.wav");
    soundOnly.frames[100].waitMs = 900;
    EXPECT_EQ(soundOnly.insertFrame(94), MovieDoc::InsertResult::Inserted);
    EXPECT_EQ(text(soundOnly.frames[100]), text(FrameEntry()));
}

TEST(MovieDoc, FramesInUse) {
    MovieDoc doc;
    EXPECT_EQ(doc.nextFreeFrame(), 1);
    EXPECT_EQ(doc.CheckFrameSequence().count, 0);
    EXPECT_EQ(doc.CheckFrameSequence().message, MovieMessage::NoFrames);

    for (int k : {1, 2, 7}) {
        doc.setFramePicture(k, QStringLiteral("SW00%1.bmp").arg(k));
    }
    // After the highest frame in use, even with free rows below it.
    EXPECT_EQ(doc.nextFreeFrame(), 8);
    EXPECT_EQ(doc.CheckFrameSequence().count, -1);
    EXPECT_EQ(doc.CheckFrameSequence().message, MovieMessage::GapInFrames);
    EXPECT_TRUE(doc.namesFile(QStringLiteral("SW007.bmp")));
    EXPECT_FALSE(doc.namesFile(QStringLiteral("SW007.bmp"), 7));
    EXPECT_FALSE(doc.namesFile(QString()));

    MovieDoc run = movieOf(12);
    EXPECT_EQ(run.CheckFrameSequence().count, 12);
    EXPECT_EQ(run.CheckFrameSequence().message, MovieMessage::None);
    EXPECT_TRUE(run.namesFile(QStringLiteral("s11.wav")));
    MovieDoc full = movieOf(100);
    EXPECT_EQ(full.CheckFrameSequence().count, 100);
    EXPECT_EQ(full.nextFreeFrame(), 101);
    MovieDoc lastOnly;
    lastOnly.frames[100] = frame(100);
    EXPECT_EQ(lastOnly.CheckFrameSequence().count, -1);
}

TEST(MovieDoc, PackagePathLosesItsQuotesAndNamesItsFolder) {
    QTemporaryDir folder;
    const QString package = folder.filePath(QStringLiteral("My Movies.sdw"));
    writeFile(package);

    MovieDoc doc;
    ASSERT_TRUE(doc.setPackagePath(u'"' + package + u'"'));
    EXPECT_EQ(doc.packagePath, package);
    EXPECT_EQ(doc.packageFolder, folder.path() + u'/');

    // Relative to the current folder now, not to where a dialog goes later.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    MovieDoc relative;
    EXPECT_TRUE(relative.setPackagePath(QStringLiteral("My Movies.sdw")));
    QDir::setCurrent(current);
    EXPECT_EQ(relative.packagePath, package);

    // A name that is no file changes nothing.
    for (const QString& wrong :
         {folder.filePath(QStringLiteral("gone.sdw")), folder.path(), QStringLiteral("\"\"")}) {
        EXPECT_FALSE(doc.setPackagePath(wrong)) << wrong.toStdString();
        EXPECT_EQ(doc.packagePath, package);
        EXPECT_EQ(doc.packageFolder, folder.path() + u'/');
    }

    doc.clearPackage(QStringLiteral("/home/me/Documents"));
    EXPECT_TRUE(doc.packagePath.isEmpty());
    EXPECT_EQ(doc.packageFolder, QStringLiteral("/home/me/Documents/"));
}

}  // namespace
