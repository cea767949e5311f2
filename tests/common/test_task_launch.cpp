// Launching through the desktop: a throw-away XDG with test "applications"
// (scripts that record how they were started) registered as the defaults;
// and how the default application is found and started: the Exec line's
// quoting and field codes, and the order of the MIME application rules.
#include "common/DefaultApplication.h"
#include "common/MTSK_KIDOU.h"
#include "tests/DesktopSandbox.h"
#include "tests/QtWait.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

void writeText(const QString& path, const QByteArray& text, bool executable = false) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    if (executable) {
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }
}

// A program that records its arguments, one a line, then what `more` prints.
QByteArray recorder(const QString& record, const char* more = "") {
    return QStringLiteral(
               "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '%1.part'\n%2"
               "echo END >> '%1.part'\nmv '%1.part' '%1'\n")
        .arg(record, QString::fromUtf8(more).replace(u"%1"_s, record))
        .toUtf8();
}

// The lines a recording script wrote, once it has written them.
QStringList waitForRecord(const QString& path) {
    QByteArray text;
    waitUntil(
        [&] {
            QFile file(path);
            text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            return text.endsWith("END\n");
        },
        10000);
    QStringList lines = QString::fromUtf8(text).split(u'\n', Qt::SkipEmptyParts);
    lines.removeAll(u"END"_s);
    return lines;
}

class TaskLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        root = scratch.path();
        // Only these applications: none of the system's answers for a type.
        desktop = std::make_unique<DesktopSandbox>(root + u"/share"_s);
        // Each application records its arguments, one a line, in its own file.
        addApplication(u"test-viewer"_s, u"text/plain"_s);
        addApplication(u"test-files"_s, u"inode/directory"_s);
        writeText(desktop->mimeApps,
                  "[Default Applications]\n"
                  "text/plain=test-viewer.desktop;\n"
                  "inode/directory=test-files.desktop;\n");
        MTSK_KIDOU::setProgramFolder(QString());
    }

    void TearDown() override { desktop.reset(); }

    void addApplication(const QString& name, const QString& mimeType) {
        const QString script = root + u"/bin/"_s + name;
        writeText(script, recorder(record(name)), true);
        writeText(desktop->applications + u'/' + name + u".desktop"_s,
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %f\n"
                                 "MimeType=%3;\n")
                      .arg(name, script, mimeType)
                      .toUtf8());
    }

    QString record(const QString& name) const { return root + u"/"_s + name + u".record"_s; }

    QTemporaryDir scratch;
    QString root;
    std::unique_ptr<DesktopSandbox> desktop;
};

// A folder opens in the file manager, a document in its default
// application, even one with the execute bit: it is opened, not run.
TEST_F(TaskLaunchTest, FoldersAndDocumentsOpenInTheirDefaultApplication) {
    const QString movies = root + u"/Movies"_s;
    ASSERT_TRUE(QDir().mkpath(movies));
    const QString guide = root + u"/docs/使い方 guide.txt"_s;
    writeText(guide, "hello\n");
    const QString notes = root + u"/notes.txt"_s;
    writeText(notes, "echo should not run > ran\n", true);
    for (const auto& [target, application] : {std::pair{movies, u"test-files"_s},
                                              {guide, u"test-viewer"_s},
                                              {notes, u"test-viewer"_s}}) {
        QFile::remove(record(application));
        EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, target), MTSK_KIDOU::kLaunched);
        EXPECT_EQ(waitForRecord(record(application)), QStringList{target});
    }
}

TEST_F(TaskLaunchTest, MissingFileAndTypeWithoutApplicationFail) {
    const QString help = root + u"/Tools/Demo/Slidewright.hlp"_s;
    writeText(help, "?_\x03\x00 not a real help file");
    for (const QString& target :
         {root + u"/docs/missing.txt"_s, QString(), root + u"/Tools/app /x"_s, help}) {
        EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, target), MTSK_KIDOU::kFailed)
            << qPrintable(target);
    }
}

TEST_F(TaskLaunchTest, RelativeFormsAreTakenFromTheProgramFolder) {
    const QString bin = root + u"/Apps/Demo/bin"_s;
    ASSERT_TRUE(QDir().mkpath(bin));
    MTSK_KIDOU::setProgramFolder(bin);

    const QString guide = root + u"/Apps/Demo/docs/guide.txt"_s;
    writeText(guide, "guide\n");
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, u"../docs/guide.txt"_s), MTSK_KIDOU::kLaunched);
    EXPECT_EQ(waitForRecord(record(u"test-viewer"_s)), QStringList{guide});
}

TEST(TaskLaunchResolve, ClimbsOneFolderPerPrefix) {
    using MTSK_KIDOU::resolveTarget;
    const QString bin = u"/Apps/Demo/bin"_s;
    EXPECT_EQ(resolveTarget(u"../docs/guide.txt"_s, bin), u"/Apps/Demo/docs/guide.txt"_s);
    EXPECT_EQ(resolveTarget(u"../../../guide.txt"_s, bin), u"/guide.txt"_s);
    EXPECT_EQ(resolveTarget(u"readme.txt"_s, bin), u"/Apps/Demo/bin/readme.txt"_s);
    EXPECT_EQ(resolveTarget(u"/Movies"_s, bin), u"/Movies"_s);
    // Climbing above the root names nothing.
    EXPECT_EQ(resolveTarget(u"../../../../guide.txt"_s, bin), QString());
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, u"../../../../../../../../../../x"_s),
              MTSK_KIDOU::kFailed);
}

TEST_F(TaskLaunchTest, ProgramWithArgumentsStarts) {
    const QString program = root + u"/my tools/app"_s;
    writeText(program, recorder(record(u"app"_s), "pwd >> '%1.part'\n"), true);
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, program + u" /x \"two words\""_s),
              MTSK_KIDOU::kLaunched);
    EXPECT_EQ(waitForRecord(record(u"app"_s)),
              (QStringList{u"/x"_s, u"two words"_s, root + u"/my tools"_s}));
}

using DefaultApplication::DesktopEntry;

// The command an entry of this Exec line gives for a file with a blank.
QStringList commandFor(const QString& exec) {
    const DesktopEntry entry{.id = {},
                             .path = u"/apps/viewer.desktop"_s,
                             .name = u"Viewer"_s,
                             .icon = u"viewer"_s,
                             .exec = exec};
    return DefaultApplication::commandFor(entry, u"/home/a/my file.txt"_s);
}

TEST(DesktopExec, QuotesAndFieldCodesExpand) {
    const QString file = u"/home/a/my file.txt"_s;
    EXPECT_EQ(commandFor(u"\"/opt/my app/run\" --view %f"_s),
              (QStringList{u"/opt/my app/run"_s, u"--view"_s, file}));
    EXPECT_EQ(commandFor(u"run \"a\\\"b\" 100%% %c %k %i %U"_s),
              (QStringList{u"run"_s, u"a\"b"_s, u"100%"_s, u"Viewer"_s, u"/apps/viewer.desktop"_s,
                           u"--icon"_s, u"viewer"_s, u"file:///home/a/my%20file.txt"_s}));
    // Without a file code the file still reaches the program, at the end.
    EXPECT_EQ(commandFor(u"run %d"_s), (QStringList{u"run"_s, QString(), file}));
    EXPECT_EQ(commandFor(u"run \"unclosed"_s), QStringList());
}

class MimeRules : public ::testing::Test {
protected:
    void SetUp() override {
        // Only our entries: the system's own applications would answer first
        // for types they list.
        desktop = std::make_unique<DesktopSandbox>(QDir::tempPath() + u"/share"_s);
        mimeApps = desktop->mimeApps;
        const QDir golden(QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/mime-rules"));
        for (const QString& entry : golden.entryList({u"*.desktop"_s})) {
            ASSERT_TRUE(QFile::copy(golden.filePath(entry), desktop->applications + u'/' + entry));
        }
    }
    void TearDown() override { desktop.reset(); }
    static QString idFor(const QString& type) {
        const auto entry = DefaultApplication::forMimeType(type);
        return entry ? entry->id : QString();
    }
    std::unique_ptr<DesktopSandbox> desktop;
    QString mimeApps;
};

TEST_F(MimeRules, DefaultsWinThenAssociationsThenListings) {
    writeText(mimeApps,
              "[Default Applications]\ntext/plain=gone.desktop;hidden.desktop;second.desktop;\n");
    // Uninstalled and hidden defaults are passed over.
    EXPECT_EQ(idFor(u"text/plain"_s), u"second.desktop"_s);
    // A subtype with no application of its own takes its parent's.
    EXPECT_EQ(idFor(u"text/x-csrc"_s), u"second.desktop"_s);

    writeText(mimeApps, "[Removed Associations]\ntext/plain=first.desktop;\n");
    EXPECT_EQ(idFor(u"text/plain"_s), u"second.desktop"_s);

    writeText(mimeApps, "[Added Associations]\nimage/png=first.desktop;\n");
    EXPECT_EQ(idFor(u"image/png"_s), u"first.desktop"_s);
    // Nothing claims octet-stream's children through their common ancestor.
    writeText(mimeApps, "[Default Applications]\napplication/octet-stream=first.desktop;\n");
    EXPECT_EQ(idFor(u"application/winhlp"_s), QString());
}

}  // namespace
