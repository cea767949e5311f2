#include "WholeFiles.h"
#include "archiver/UnlhaCommand.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/FrameFiles.h"
#include "moviefile/MLha.h"
#include "moviefile/MMojiTikanAll.h"
#include "moviefile/WorkFolder.h"
#include "moviefile/WorkFolderSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Left to right without rescanning what was put in; inexact ignores letter
// case; with escapes "\\n" and "\\t" stand for CR LF and tab.
TEST(ReplaceAllText, ReplacesEveryOccurrenceOnce) {
    const struct {
        bool exact, escapes;
        QString text, find, replacement, result;
        int count;
    } cases[] = {{true, false, "aabab", "ab", "x", "axx", 2},
                 {true, false, "aaa", "a", "aa", "aaaaaa", 3},
                 {true, false, "\"/home/me/My Movies/demo.sdw\"", "\"", "",
                  "/home/me/My Movies/demo.sdw", 2},
                 {true, false, "abc", "", "x", "abc", 0},
                 {true, false, "Bmp.BMP.bmp", "bmp", "x", "Bmp.BMP.x", 1},
                 {false, false, "Bmp.BMP.bmp", "bmp", "x", "x.x.x", 3},
                 {true, true, "one\r\ntwo\tthree", "\\n", "\\t", "one\ttwo\tthree", 1},
                 {true, false, "a\\nb", "\\n", "-", "a-b", 1}};
    for (const auto& c : cases) {
        QString text = c.text;
        EXPECT_EQ(MMojiTikanAll::ReplaceAllText(c.exact, text, c.find, c.replacement, c.escapes),
                  c.count)
            << c.text.toStdString();
        EXPECT_EQ(text, c.result);
    }
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString path(const QString& name) const { return folder.filePath(name); }
    void make(const QString& name, const QByteArray& content = "x") const {
        writeFile(path(name), content);
    }
    QByteArray contents(const QString& name) const { return readFile(path(name)); }
    QStringList names() const { return entries(folder.path()); }

    QTemporaryDir folder;
};

TEST_F(FolderTest, DeleteFileQuietlyWithWildcardsTakesOnlyMatchingFiles) {
    for (const char* name : {"SW001.bmp", "PHOTO.BMP", "表紙.Bmp", ".hidden.bmp", "a.bmpx",
                             "chime.wav", "tune.mid", "notes.txt"}) {
        make(QString::fromUtf8(name));
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir("folder.bmp"));
    ASSERT_TRUE(QFile::link(path("notes.txt"), path("link.bmp")));

    AFrameReel::DeleteFileQuietly(path("*.bmp"));
    EXPECT_EQ(names(), QStringList({"a.bmpx", "chime.wav", "folder.bmp", "notes.txt", "tune.mid"}));

    AFrameReel::DeleteFileQuietly(path("?une.*"));
    AFrameReel::DeleteFileQuietly(path("*.wav"));
    EXPECT_EQ(names(), QStringList({"a.bmpx", "folder.bmp", "notes.txt"}));

    // Every failure is ignored: nothing there, no folder, no name, a folder.
    for (const QString& name : {path("missing.bmp"), path("no such folder/*.bmp"), QString(),
                                path("folder.bmp"), path("notes.txt")}) {
        AFrameReel::DeleteFileQuietly(name);
    }
    EXPECT_EQ(names(), QStringList({"a.bmpx", "folder.bmp"}));
}

TEST_F(FolderTest, CopyFileQuietlyReplacesTheDestinationAndIgnoresFailures) {
    make("a.bmp", "new picture");
    make("b.bmp", "old picture, longer than the new one");
    AFrameReel::CopyFileQuietly(path("a.bmp"), path("b.bmp"));
    EXPECT_EQ(contents("b.bmp"), "new picture");

    // Onto itself, from nowhere, into nowhere: nothing changes, nothing is left over.
    AFrameReel::CopyFileQuietly(path("a.bmp"), path("a.bmp"));
    AFrameReel::CopyFileQuietly(path("gone.bmp"), path("b.bmp"));
    AFrameReel::CopyFileQuietly(path("a.bmp"), path("no/c.bmp"));
    EXPECT_EQ(names(), QStringList({"a.bmp", "b.bmp"}));
    EXPECT_EQ(contents("a.bmp"), "new picture");
}

// What the archiver reads back from the lines the program builds: the same
// paths and pattern, whatever blanks and Japanese they hold.
TEST(MLha, TheArchiverReadsBackWhatTheCommandLinesSay) {
    const QString package = QStringLiteral("/home/me/映画 フォルダ/デモ　１.sdw");
    const QString folder = QStringLiteral("/tmp/作業 場所");
    for (const QString& pattern : {QStringLiteral("Slidewright.ini"), QStringLiteral("*.bmp"),
                                   QStringLiteral("\"表紙 1.bmp\"")}) {
        const auto command =
            UnlhaCommand::parse(MLha::ExtractCommandLine(package, folder, pattern).toStdString());
        ASSERT_TRUE(command.has_value()) << pattern.toStdString();
        const auto& extract = std::get<UnlhaCommand::Extract>(*command);
        EXPECT_EQ(QString::fromStdString(extract.package), package);
        EXPECT_EQ(QString::fromStdString(extract.folder), folder + u'/');
        EXPECT_EQ(QString::fromStdString(extract.pattern), QString(pattern).remove(u'"'));
    }
    const auto command = UnlhaCommand::parse(
        MLha::StoreCommandLine(package, folder + QStringLiteral("/SW 001.bmp")).toStdString());
    ASSERT_TRUE(command.has_value());
    const auto& store = std::get<UnlhaCommand::Store>(*command);
    EXPECT_EQ(QString::fromStdString(store.package), package);
    EXPECT_EQ(QString::fromStdString(store.file), folder + QStringLiteral("/SW 001.bmp"));
}

TEST_F(FolderTest, WithoutAnArchiverEveryCallFailsAndStartNewStillClears) {
    make("old.sdw");
    EXPECT_NE(MLha::ExtractFromPackage(path("old.sdw"), folder.path(), "*.bmp"), 0);
    EXPECT_NE(MLha::StoreInPackage(path("old.sdw"), path("x"), true), 0);
    EXPECT_TRUE(names().isEmpty());
}

class FrameFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_EQ(files.open(folder.path()), WorkFolderSession::OpenResult::Opened);
        doc.resetFrames(MovieDoc::kEditorSlots);
    }
    // A file the editor brought in.
    void make(const QString& name) {
        writeFile(files.scratchFolder() + u'/' + name);
        ASSERT_TRUE(files.adopt(files.scratchFolder() + u'/' + name, name));
    }
    bool exists(const QString& name) const { return QFile::exists(folder.filePath(name)); }

    QTemporaryDir folder;
    WorkFolderSession files;
    MovieDoc doc;
};

TEST_F(FrameFilesTest, AFileStaysWhileAnotherFrameNamesIt) {
    make(QStringLiteral("a.bmp"));
    make(QStringLiteral("s.wav"));
    doc.frames[1].pictureFile = QStringLiteral("a.bmp");
    doc.frames[7].pictureFile = QStringLiteral("a.bmp");
    doc.frames[2].soundFile = QStringLiteral("s.wav");

    FrameFiles::ReleaseFile(doc, QStringLiteral("a.bmp"), 1, files);
    EXPECT_TRUE(exists(QStringLiteral("a.bmp")));
    doc.frames[7].pictureFile.clear();
    FrameFiles::ReleaseFile(doc, QStringLiteral("a.bmp"), 1, files);
    EXPECT_FALSE(exists(QStringLiteral("a.bmp")));

    // A sound name counts as much as a picture name.
    doc.frames[3].pictureFile = QStringLiteral("s.wav");
    FrameFiles::ReleaseFile(doc, QStringLiteral("s.wav"), 3, files);
    EXPECT_TRUE(exists(QStringLiteral("s.wav")));

    // A name that could reach outside the folder is never deleted.
    QTemporaryDir outside;
    const QString victim = outside.filePath(QStringLiteral("keep.bmp"));
    const QString users = folder.filePath(QStringLiteral("mine.bmp"));  // nor the user's own
    writeFile(victim);
    writeFile(users);
    FrameFiles::ReleaseFile(doc, "../" + QFileInfo(outside.path()).fileName() + "/keep.bmp", 1,
                            files);
    FrameFiles::ReleaseFile(doc, QStringLiteral("mine.bmp"), 1, files);
    EXPECT_TRUE(QFile::exists(victim));
    EXPECT_TRUE(QFile::exists(users));
}

TEST_F(FrameFilesTest, UnusedNameKeepsTheExtensionAndSkipsNamesInUse) {
    const auto unused = [&](const QString& name) {
        return FrameFiles::UnusedName(doc, folder.path(), name);
    };
    EXPECT_EQ(unused("a.bmp"), "a.bmp");
    make("a.bmp");
    EXPECT_EQ(unused("a.bmp"), "a_2.bmp");
    // Named by a frame but missing from the folder is still taken.
    doc.frames[4].soundFile = QStringLiteral("a_2.bmp");
    EXPECT_EQ(unused("a.bmp"), "a_3.bmp");
    make("song");
    EXPECT_EQ(unused("song"), "song_2");
    make("x.y.mid");
    EXPECT_EQ(unused("x.y.mid"), "x.y_2.mid");
}

}  // namespace
