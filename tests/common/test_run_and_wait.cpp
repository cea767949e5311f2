// Finding the program that opens a file and running it to its end while
// window events go on: real processes, real desktop entries in the test's
// own XDG folders; and finding the help page beside the executable or where
// an installed program keeps it.
#include "common/HelpFile.h"
#include "common/MFIL_CHK2.h"
#include "common/MTSK_DOUKI.h"
#include "common/MTSK_Path.h"
#include "tests/DesktopSandbox.h"

#include <memory>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Writes the file, and the folders it is in.
void write(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}

class RunAndWait : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString script(const QString& name, const QByteArray& text) {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(writeExecutable(path, text));
        return path;
    }

    QTemporaryDir folder;
};

TEST_F(RunAndWait, ProgramFileExistsLooksAtTheFirstWordOnly) {
    EXPECT_TRUE(MFIL_CHK2::ProgramFileExists({u"/bin/sh"_s, u"-c"_s}));
    EXPECT_TRUE(MFIL_CHK2::ProgramFileExists({u"sh"_s}));  // through PATH
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({u"/no/such/program"_s}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({u"no-such-program-here"_s}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({QString(), u"/bin/sh"_s}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({u"/bin"_s}));
}

TEST_F(RunAndWait, ReturnsWhenTheProgramHasEndedWithEventsRunningMeanwhile) {
    // The program ends only once a timer of ours has run, so it ends at all
    // only when window events run while it is waited for.
    const QString go = folder.filePath(u"go"_s);
    const QString done = folder.filePath(u"done"_s);
    const QString program =
        script(u"waits.sh"_s,
               QStringLiteral(
                   "#!/bin/sh\nn=0\nuntil [ -e '%1' ]; do n=$((n+1)); [ $n -gt 2000 ] && exit 3; "
                   "sleep 0.01; done\npwd > '%2.part'\nprintf '%s|' \"$@\" >> '%2.part'\n"
                   "mv '%2.part' '%2'\n")
                   .arg(go, done)
                   .toUtf8());
    QTimer::singleShot(0, [&] { QFile(go).open(QIODevice::WriteOnly); });
    const QString work = folder.filePath(u"work dir"_s);
    ASSERT_TRUE(QDir().mkpath(work));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({program, u"a b"_s, u"$HOME"_s, u"\"q\""_s}, work));
    // Written just before it ended; the arguments arrive as they were
    // given, with no shell between.
    QFile written(done);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), work.toUtf8() + "\na b|$HOME|\"q\"|");
}

TEST_F(RunAndWait, OnlyAProgramThatStartedIsWaitedFor) {
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({u"/no/such/program"_s}));
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({}));
    // The file is there, but its interpreter is not.
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({script(u"broken.sh"_s, "#!/no/such/interpreter\n")}));
    // Not executable.
    const QString plain = folder.filePath(u"plain"_s);
    ASSERT_TRUE(QFile(plain).open(QIODevice::WriteOnly));
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({plain}));

    // One that ends at once or fails is still waited for, and one reading
    // its input finds none instead of waiting for us.
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({u"/bin/true"_s}));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({u"/bin/false"_s}));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({u"/bin/cat"_s}));
}

class AssociatedProgram : public RunAndWait {
protected:
    void SetUp() override {
        RunAndWait::SetUp();
        desktop = std::make_unique<DesktopSandbox>(folder.filePath(u"share"_s));
        applications = desktop->applications;
        picture = folder.filePath(u"my pictures/a 100%.bmp"_s);
        write(picture, "BM");
    }
    void TearDown() override { desktop.reset(); }
    void entry(const QByteArray& exec, const QByteArray& types = "image/bmp;") {
        write(applications + u"/bmp-editor.desktop"_s,
              "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + exec +
                  "\nMimeType=" + types + "\n");
    }

    std::unique_ptr<DesktopSandbox> desktop;
    QString applications;
    QString picture;
};

TEST_F(AssociatedProgram, TheExecLineWithThePictureInPlaceOfItsFieldCode) {
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());

    const QString program = script(u"my editor"_s, "#!/bin/sh\n");
    entry("\"" + program.toUtf8() + "\" --edit %f --title=%c");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{program, u"--edit"_s, picture, u"--title=Editor"_s}));

    entry("\"" + program.toUtf8() + "\" %U");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{program, QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded)}));

    // A bare program name is found through PATH and given as a full path.
    entry("true %F");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{QStandardPaths::findExecutable(u"true"_s), picture}));

    // An entry whose program is not installed, or whose Exec line does not
    // parse, is none; nor has a file that is not there a program.
    entry("/no/such/editor %f");
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());
    entry("\"unclosed %f");
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());
    entry("true %F");
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(folder.filePath(u"gone.bmp"_s)).isEmpty());
}

TEST_F(AssociatedProgram, AnEntryListingAnAliasOfTheTypeCounts) {
    // As ImageMagick's display lists BMP pictures.
    entry("true %f", "image/gif;image/x-ms-bmp;");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture).value(1), picture);

    // And so does a default named by an alias.
    entry("false %f");
    write(desktop->mimeApps, "[Default Applications]\nimage/x-bmp=bmp-editor.desktop;\n");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture).value(0),
              QStandardPaths::findExecutable(u"false"_s));
    QFile::remove(desktop->mimeApps);
}

using HelpFile::HelpFilePath;

TEST(HelpFile, FoundBesideTheProgramOrInItsShareFolderOrBesideTheTests) {
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.filePath(u"bin"_s);
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(HelpFilePath(bin), QString()) << "neither place";

    const QString installed = prefix.filePath(u"share/slidewright/Slidewright.html"_s);
    write(installed, "<!DOCTYPE html>");
    EXPECT_EQ(HelpFilePath(bin), installed);

    const QString beside = bin + u"/Slidewright.html"_s;
    write(beside, "<!DOCTYPE html>");
    EXPECT_EQ(HelpFilePath(bin), beside) << "beside the program comes first";

    // A folder of that name is no help page.
    QTemporaryDir other;
    const QString otherBin = other.filePath(u"bin"_s);
    ASSERT_TRUE(QDir().mkpath(otherBin + u"/Slidewright.html"_s));
    ASSERT_TRUE(QDir().mkpath(other.filePath(u"share/slidewright/Slidewright.html"_s)));
    EXPECT_EQ(HelpFilePath(otherBin), QString());

    // Tests are built into the program's own folder, where the page is copied.
    EXPECT_EQ(HelpFilePath(), QCoreApplication::applicationDirPath() + u"/Slidewright.html"_s);
}

}  // namespace
