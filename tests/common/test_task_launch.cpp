// Launching through the desktop: a throw-away XDG with test "applications"
// (scripts that record how they were started) registered as the defaults.
#include "common/MTSK_KIDOU.h"
#include "tests/DesktopSandbox.h"
#include "tests/QtWait.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

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
        .arg(record, QString::fromUtf8(more).replace(QStringLiteral("%1"), record))
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
    lines.removeAll(QStringLiteral("END"));
    return lines;
}

class TaskLaunchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        root = scratch.path();
        // Only these applications: none of the system's answers for a type.
        desktop = std::make_unique<DesktopSandbox>(root + QStringLiteral("/share"));
        // Each application records its arguments, one a line, in its own file.
        addApplication(QStringLiteral("test-viewer"), QStringLiteral("text/plain"));
        addApplication(QStringLiteral("test-files"), QStringLiteral("inode/directory"));
        writeText(desktop->mimeApps,
                  "[Default Applications]\n"
                  "text/plain=test-viewer.desktop;\n"
                  "inode/directory=test-files.desktop;\n");
        MTSK_KIDOU::setProgramFolder(QString());
    }

    void TearDown() override { desktop.reset(); }

    void addApplication(const QString& name, const QString& mimeType) {
        const QString script = root + QStringLiteral("/bin/") + name;
        writeText(script, recorder(record(name)), true);
        writeText(desktop->applications + u'/' + name + QStringLiteral(".desktop"),
                  QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2 %f\n"
                                 "MimeType=%3;\n")
                      .arg(name, script, mimeType)
                      .toUtf8());
    }

    QString record(const QString& name) const {
        return root + QStringLiteral("/") + name + QStringLiteral(".record");
    }

    QTemporaryDir scratch;
    QString root;
    std::unique_ptr<DesktopSandbox> desktop;
};

// A folder opens in the file manager, a document in its default
// application, even one with the execute bit: it is opened, not run.
TEST_F(TaskLaunchTest, FoldersAndDocumentsOpenInTheirDefaultApplication) {
    const QString movies = root + QStringLiteral("/Movies");
    ASSERT_TRUE(QDir().mkpath(movies));
    const QString guide = root + QStringLiteral("/docs/使い方 guide.txt");
    writeText(guide, "hello\n");
    const QString notes = root + QStringLiteral("/notes.txt");
    writeText(notes, "echo should not run > ran\n", true);
    for (const auto& [target, application] : {std::pair{movies, QStringLiteral("test-files")},
                                              {guide, QStringLiteral("test-viewer")},
                                              {notes, QStringLiteral("test-viewer")}}) {
        QFile::remove(record(application));
        EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, target), MTSK_KIDOU::kLaunched);
        EXPECT_EQ(waitForRecord(record(application)), QStringList{target});
    }
}

TEST_F(TaskLaunchTest, MissingFileAndTypeWithoutApplicationFail) {
    const QString help = root + QStringLiteral("/Tools/Demo/Slidewright.hlp");
    writeText(help, "?_\x03\x00 not a real help file");
    for (const QString& target : {root + QStringLiteral("/docs/missing.txt"), QString(),
                                  root + QStringLiteral("/Tools/app /x"), help}) {
        EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, target), MTSK_KIDOU::kFailed)
            << qPrintable(target);
    }
}

TEST_F(TaskLaunchTest, RelativeFormsAreTakenFromTheProgramFolder) {
    const QString bin = root + QStringLiteral("/Apps/Demo/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    MTSK_KIDOU::setProgramFolder(bin);

    const QString guide = root + QStringLiteral("/Apps/Demo/docs/guide.txt");
    writeText(guide, "guide\n");
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, QStringLiteral("../docs/guide.txt")),
              MTSK_KIDOU::kLaunched);
    EXPECT_EQ(waitForRecord(record(QStringLiteral("test-viewer"))), QStringList{guide});
}

TEST(TaskLaunchResolve, ClimbsOneFolderPerPrefix) {
    using MTSK_KIDOU::resolveTarget;
    const QString bin = QStringLiteral("/Apps/Demo/bin");
    EXPECT_EQ(resolveTarget(QStringLiteral("../docs/guide.txt"), bin),
              QStringLiteral("/Apps/Demo/docs/guide.txt"));
    EXPECT_EQ(resolveTarget(QStringLiteral("../../../guide.txt"), bin),
              QStringLiteral("/guide.txt"));
    EXPECT_EQ(resolveTarget(QStringLiteral("readme.txt"), bin),
              QStringLiteral("/Apps/Demo/bin/readme.txt"));
    EXPECT_EQ(resolveTarget(QStringLiteral("/Movies"), bin), QStringLiteral("/Movies"));
    // Climbing above the root names nothing.
    EXPECT_EQ(resolveTarget(QStringLiteral("../../../../guide.txt"), bin), QString());
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, QStringLiteral("../../../../../../../../../../x")),
              MTSK_KIDOU::kFailed);
}

TEST_F(TaskLaunchTest, ProgramWithArgumentsStarts) {
    const QString program = root + QStringLiteral("/my tools/app");
    writeText(program, recorder(record(QStringLiteral("app")), "pwd >> '%1.part'\n"), true);
    EXPECT_EQ(MTSK_KIDOU::TaskLaunch(nullptr, program + QStringLiteral(" /x \"two words\"")),
              MTSK_KIDOU::kLaunched);
    EXPECT_EQ(waitForRecord(record(QStringLiteral("app"))),
              (QStringList{QStringLiteral("/x"), QStringLiteral("two words"),
                           root + QStringLiteral("/my tools")}));
}

}  // namespace
