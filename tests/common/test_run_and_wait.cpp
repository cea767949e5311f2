// Finding the program that opens a file and running it to its end while
// window events go on: real processes, real desktop entries in the test's
// own XDG folders.
#include "common/MFIL_CHK2.h"
#include "common/MTSK_DOUKI.h"
#include "common/MTSK_Path.h"
#include "tests/DesktopSandbox.h"

#include <memory>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

namespace {

class RunAndWait : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString script(const QString& name, const QByteArray& text) {
        const QString path = folder.filePath(name);
        EXPECT_TRUE(writeExecutable(path, text));
        return path;
    }

    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

TEST_F(RunAndWait, ProgramFileExistsLooksAtTheFirstWordOnly) {
    EXPECT_TRUE(MFIL_CHK2::ProgramFileExists({QStringLiteral("/bin/sh"), QStringLiteral("-c")}));
    EXPECT_TRUE(MFIL_CHK2::ProgramFileExists({QStringLiteral("sh")}));  // through PATH
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({QStringLiteral("/no/such/program")}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({QStringLiteral("no-such-program-here")}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({QString(), QStringLiteral("/bin/sh")}));
    EXPECT_FALSE(MFIL_CHK2::ProgramFileExists({QStringLiteral("/bin")}));
}

TEST_F(RunAndWait, ReturnsWhenTheProgramHasEndedWithEventsRunningMeanwhile) {
    // The program ends only once a timer of ours has run, so it ends at all
    // only when window events run while it is waited for.
    const QString go = folder.filePath(QStringLiteral("go"));
    const QString done = folder.filePath(QStringLiteral("done"));
    const QString program =
        script(QStringLiteral("waits.sh"),
               QStringLiteral(
                   "#!/bin/sh\nn=0\nuntil [ -e '%1' ]; do n=$((n+1)); [ $n -gt 2000 ] && exit 3; "
                   "sleep 0.01; done\npwd > '%2.part'\nprintf '%s|' \"$@\" >> '%2.part'\n"
                   "mv '%2.part' '%2'\n")
                   .arg(go, done)
                   .toUtf8());
    QTimer::singleShot(0, [&] { QFile(go).open(QIODevice::WriteOnly); });
    const QString work = folder.filePath(QStringLiteral("work dir"));
    ASSERT_TRUE(QDir().mkpath(work));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait(
        {program, QStringLiteral("a b"), QStringLiteral("$HOME"), QStringLiteral("\"q\"")}, work));
    // Written just before it ended; the arguments arrive as they were
    // given, with no shell between.
    EXPECT_EQ(read(done), work.toUtf8() + "\na b|$HOME|\"q\"|");
}

TEST_F(RunAndWait, OnlyAProgramThatStartedIsWaitedFor) {
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({QStringLiteral("/no/such/program")}));
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({}));
    // The file is there, but its interpreter is not.
    EXPECT_FALSE(
        MTSK_DOUKI::RunAndWait({script(QStringLiteral("broken.sh"), "#!/no/such/interpreter\n")}));
    // Not executable.
    const QString plain = folder.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(QFile(plain).open(QIODevice::WriteOnly));
    EXPECT_FALSE(MTSK_DOUKI::RunAndWait({plain}));

    // One that ends at once or fails is still waited for, and one reading
    // its input finds none instead of waiting for us.
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({QStringLiteral("/bin/true")}));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({QStringLiteral("/bin/false")}));
    EXPECT_TRUE(MTSK_DOUKI::RunAndWait({QStringLiteral("/bin/cat")}));
}

class AssociatedProgram : public RunAndWait {
protected:
    void SetUp() override {
        RunAndWait::SetUp();
        desktop = std::make_unique<DesktopSandbox>(folder.filePath(QStringLiteral("share")));
        applications = desktop->applications;
        picture = folder.filePath(QStringLiteral("my pictures/a 100%.bmp"));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(picture).path()));
        write(picture, "BM");
    }
    void TearDown() override { desktop.reset(); }
    static void write(const QString& path, const QByteArray& text) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }
    void entry(const QByteArray& exec, const QByteArray& types = "image/bmp;") {
        write(applications + QStringLiteral("/bmp-editor.desktop"),
              "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + exec +
                  "\nMimeType=" + types + "\n");
    }

    std::unique_ptr<DesktopSandbox> desktop;
    QString applications;
    QString picture;
};

TEST_F(AssociatedProgram, TheExecLineWithThePictureInPlaceOfItsFieldCode) {
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());

    const QString program = script(QStringLiteral("my editor"), "#!/bin/sh\n");
    entry("\"" + program.toUtf8() + "\" --edit %f --title=%c");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{program, QStringLiteral("--edit"), picture,
                           QStringLiteral("--title=Editor")}));

    entry("\"" + program.toUtf8() + "\" %U");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{program, QUrl::fromLocalFile(picture).toString(QUrl::FullyEncoded)}));

    // A bare program name is found through PATH and given as a full path.
    entry("true %F");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture),
              (QStringList{QStandardPaths::findExecutable(QStringLiteral("true")), picture}));

    // An entry whose program is not installed, or whose Exec line does not
    // parse, is none; nor has a file that is not there a program.
    entry("/no/such/editor %f");
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());
    entry("\"unclosed %f");
    EXPECT_TRUE(MTSK_Path::FindAssociatedProgram(picture).isEmpty());
    entry("true %F");
    EXPECT_TRUE(
        MTSK_Path::FindAssociatedProgram(folder.filePath(QStringLiteral("gone.bmp"))).isEmpty());
}

TEST_F(AssociatedProgram, AnEntryListingAnAliasOfTheTypeCounts) {
    // As ImageMagick's display lists BMP pictures.
    entry("true %f", "image/gif;image/x-ms-bmp;");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture).value(1), picture);

    // And so does a default named by an alias.
    entry("false %f");
    write(desktop->mimeApps, "[Default Applications]\nimage/x-bmp=bmp-editor.desktop;\n");
    EXPECT_EQ(MTSK_Path::FindAssociatedProgram(picture).value(0),
              QStandardPaths::findExecutable(QStringLiteral("false")));
    QFile::remove(desktop->mimeApps);
}

}  // namespace
