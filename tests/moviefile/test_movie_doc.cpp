// The movie's own operations: the frame table moving on insert and delete,
// the package path, and the questions a save, a preview and a capture ask.
#include "moviefile/MovieDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

FrameEntry frame(int k, bool withSound = false) {
    return FrameEntry{true, QStringLiteral("f%1.bmp").arg(k), k * 100,
                      withSound ? QStringLiteral("s%1.wav").arg(k) : QString()};
}

bool same(const FrameEntry& a, const FrameEntry& b) {
    return a.inUse == b.inUse && a.pictureFile == b.pictureFile && a.waitMs == b.waitMs &&
           a.soundFile == b.soundFile;
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
    for (int k = 1; k <= 4; ++k) {
        EXPECT_TRUE(same(doc.frames[k], frame(k, k % 2 == 1))) << k;
    }
    EXPECT_TRUE(same(doc.frames[5], FrameEntry()));
    for (int k = 6; k <= 13; ++k) {
        EXPECT_TRUE(same(doc.frames[k], frame(k - 1, k % 2 == 0))) << k;
    }
    EXPECT_TRUE(same(doc.frames[14], FrameEntry()));
    EXPECT_EQ(doc.lastSlot(), 100);

    // Deleting the empty slot closes the gap again.
    const auto removed = doc.removeFrame(5);
    ASSERT_TRUE(removed);
    EXPECT_TRUE(same(*removed, FrameEntry()));
    const MovieDoc original = movieOf(12);
    for (int k = 1; k <= 100; ++k) {
        EXPECT_TRUE(same(doc.frames[k], original.frames[k])) << k;
    }

    const auto third = doc.removeFrame(3);
    ASSERT_TRUE(third);
    EXPECT_TRUE(same(*third, frame(3, true)));
    EXPECT_TRUE(same(doc.frames[3], frame(4)));
    EXPECT_TRUE(same(doc.frames[11], frame(12)));
    EXPECT_TRUE(same(doc.frames[12], FrameEntry()));

    EXPECT_EQ(doc.insertFrame(0), MovieDoc::InsertResult::NoSuchSlot);
    EXPECT_EQ(doc.insertFrame(101), MovieDoc::InsertResult::NoSuchSlot);
    EXPECT_FALSE(doc.removeFrame(101));
}

TEST(MovieDoc, InsertRefusesAPictureInTheLastSlotButOverwritesAnythingElse) {
    MovieDoc full = movieOf(3);
    full.frames[100] = frame(100);
    const MovieDoc before = full;
    EXPECT_EQ(full.insertFrame(2), MovieDoc::InsertResult::TableFull);
    for (int k = 1; k <= 100; ++k) {
        EXPECT_TRUE(same(full.frames[k], before.frames[k])) << k;
    }

    // A sound and a wait alone in slot 100 give way to slot 99's nothing.
    MovieDoc soundOnly = movieOf(3);
    soundOnly.frames[100].soundFile = QStringLiteral("last.wav");
    soundOnly.frames[100].waitMs = 900;
    EXPECT_EQ(soundOnly.insertFrame(94), MovieDoc::InsertResult::Inserted);
    EXPECT_TRUE(same(soundOnly.frames[100], FrameEntry()));
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
    QFile file(package);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

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
