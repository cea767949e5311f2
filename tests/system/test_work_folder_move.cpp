// Moving the pictures of one work folder into another: every byte arrives,
// nothing else moves, and no picture is lost whatever stands in the way.
#include "system/WorkFolderMove.h"

#include "FolderFixture.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

using namespace FolderFixture;
using WorkFolderMove::MoveBitmaps;
using WorkFolderMove::sameFolder;

class WorkFolderMoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        from = scratch.filePath(QStringLiteral("old work"));
        to = scratch.filePath(QStringLiteral("new work"));
        ASSERT_TRUE(QDir().mkpath(from));
        ASSERT_TRUE(QDir().mkpath(to));
        files = fillWorkFolder(from);
    }

    QTemporaryDir scratch;
    QString from;
    QString to;
    QMap<QString, QByteArray> files;
};

TEST_F(WorkFolderMoveTest, PicturesArriveByteForByteAndSoundsStay) {
    const WorkFolderMove::Result result = MoveBitmaps(from, to);

    QMap<QString, QByteArray> pictures;
    QMap<QString, QByteArray> others;
    for (auto it = files.begin(); it != files.end(); ++it) {
        (isPicture(it.key()) ? pictures : others).insert(it.key(), it.value());
    }
    EXPECT_EQ(contents(to), pictures) << "no temporary file is left behind either";
    EXPECT_EQ(contents(from), others);
    EXPECT_EQ(result.moved,
              (QStringList{QStringLiteral("PHOTO.BMP"), QStringLiteral("SW001.bmp"),
                           QStringLiteral("empty.bmp"), QStringLiteral("写真 2.Bmp")}));
    EXPECT_TRUE(result.kept.isEmpty());
}

TEST_F(WorkFolderMoveTest, ThePictureKeepsItsPermissionsAndTime) {
    const QString picture = from + QStringLiteral("/SW001.bmp");
    ASSERT_TRUE(QFile::setPermissions(
        picture, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1'500'000'000);
    {
        QFile file(picture);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    MoveBitmaps(from, to);
    const QFileInfo moved(to + QStringLiteral("/SW001.bmp"));
    EXPECT_EQ(moved.permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ReadUser | QFileDevice::WriteUser |
                                       QFileDevice::ReadGroup);
    EXPECT_EQ(moved.lastModified(), stamp);
}

TEST_F(WorkFolderMoveTest, APictureOfTheSameNameInTheNewFolderIsReplaced) {
    writeFile(to + QStringLiteral("/SW001.bmp"), "an older capture");
    // A link at the target is replaced, not written through: writing through
    // it would overwrite the very original that is deleted afterwards.
    ASSERT_TRUE(
        QFile::link(from + QStringLiteral("/PHOTO.BMP"), to + QStringLiteral("/PHOTO.BMP")));

    const WorkFolderMove::Result result = MoveBitmaps(from, to);
    EXPECT_TRUE(result.kept.isEmpty());
    EXPECT_EQ(readFile(to + QStringLiteral("/SW001.bmp")), files[QStringLiteral("SW001.bmp")]);
    EXPECT_FALSE(QFileInfo(to + QStringLiteral("/PHOTO.BMP")).isSymLink());
    EXPECT_EQ(readFile(to + QStringLiteral("/PHOTO.BMP")), files[QStringLiteral("PHOTO.BMP")]);
    EXPECT_FALSE(QFileInfo::exists(from + QStringLiteral("/PHOTO.BMP")));
}

TEST_F(WorkFolderMoveTest, APictureThatCannotBeCopiedStaysInTheOldFolder) {
    // Root writes anywhere, so the copy is made impossible: a folder stands
    // where the picture should go.
    ASSERT_TRUE(QDir().mkpath(to + QStringLiteral("/PHOTO.BMP/inside")));

    const WorkFolderMove::Result result = MoveBitmaps(from, to);
    EXPECT_EQ(result.kept, QStringList{QStringLiteral("PHOTO.BMP")});
    EXPECT_EQ(readFile(from + QStringLiteral("/PHOTO.BMP")), files[QStringLiteral("PHOTO.BMP")]);
    EXPECT_EQ(readFile(to + QStringLiteral("/SW001.bmp")), files[QStringLiteral("SW001.bmp")]);
    EXPECT_FALSE(QFileInfo::exists(from + QStringLiteral("/SW001.bmp")));
    EXPECT_TRUE(QFileInfo::exists(to + QStringLiteral("/PHOTO.BMP/inside")));
    const QStringList leftovers =
        QDir(to).entryList({QStringLiteral(".slidewright-move-*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(u' ').toStdString();
}

TEST_F(WorkFolderMoveTest, TheSameFolderUnderAnotherSpellingMovesNothing) {
    const QString link = scratch.filePath(QStringLiteral("link to old"));
    ASSERT_TRUE(QFile::link(from, link));
    const QStringList spellings{
        from + u'/',
        from + QStringLiteral("//"),
        from + QStringLiteral("/./"),
        to + QStringLiteral("/../old work"),
        link,
        link + u'/',
    };
    for (const QString& spelling : spellings) {
        SCOPED_TRACE(spelling.toStdString());
        EXPECT_TRUE(sameFolder(from, spelling));
        const WorkFolderMove::Result result = MoveBitmaps(from, spelling);
        EXPECT_TRUE(result.moved.isEmpty());
        EXPECT_TRUE(result.kept.isEmpty());
        EXPECT_EQ(contents(from), files);
    }
    EXPECT_FALSE(sameFolder(from, to));
    EXPECT_FALSE(sameFolder(from, scratch.filePath(QStringLiteral("missing"))));
}

TEST_F(WorkFolderMoveTest, AMissingFolderOnEitherSideMovesNothing) {
    const QString missing = scratch.filePath(QStringLiteral("missing"));
    EXPECT_TRUE(MoveBitmaps(missing, to).moved.isEmpty());
    EXPECT_TRUE(MoveBitmaps(from, missing).moved.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_EQ(contents(from), files);
}

TEST_F(WorkFolderMoveTest, OnlyFilesDirectlyInTheFolderMove) {
    ASSERT_TRUE(QDir().mkpath(from + QStringLiteral("/folder.bmp")));
    writeFile(from + QStringLiteral("/folder.bmp/inner.bmp"), "nested");
    const WorkFolderMove::Result result = MoveBitmaps(from, to);
    EXPECT_FALSE(result.moved.contains(QStringLiteral("folder.bmp")));
    EXPECT_EQ(readFile(from + QStringLiteral("/folder.bmp/inner.bmp")), "nested");
    EXPECT_FALSE(QFileInfo::exists(to + QStringLiteral("/folder.bmp")));
}

}  // namespace
