// The .sdw association, written into the throw-away XDG folders this test
// runs in, and read back by the desktop's own tools (gio, xdg-mime) and by a
// fresh process asking Qt.
#include "system/MKakucyoSet.h"
#include "tests/QtWait.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

using namespace MKakucyoSet;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        return QStringLiteral("<timed out>");
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeText(const QString& path, const QByteArray& text) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}

class FileTypeAssociation : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        ASSERT_TRUE(dataHome.startsWith(qEnvironmentVariable("HOME").section(u'/', 0, -2)))
            << "runs only in a throw-away HOME";
        program = scratch.path() + QStringLiteral("/my $tools/slide wright");
        writeStandIn(program, "");
        package = scratch.path() + QStringLiteral("/デモ movie.sdw");
        writeText(package, "-lh0- not really a package");
    }

    void TearDown() override {
        UnregisterFileType(kExtension, kTypeName, kDescription, program, 0, program);
        QFile::remove(configHome + QStringLiteral("/mimeapps.list"));
    }

    // A stand-in for the program: records the file it is asked to open,
    // after `says`.
    void writeStandIn(const QString& path, const char* says) const {
        writeText(path, QStringLiteral("#!/bin/sh\necho \"%1$1\" > '%2.part'\nmv '%2.part' '%2'\n")
                            .arg(QLatin1String(says), scratch.path() + QStringLiteral("/opened"))
                            .toUtf8());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    bool registerType() {
        return RegisterFileType(kExtension, kTypeName, kDescription, program, 0, program);
    }
    bool unregisterType() {
        return UnregisterFileType(kExtension, kTypeName, kDescription, program, 0, program);
    }

    // What a fresh process sees: the type, then the default application id.
    QStringList freshView() const { return run(QStringLiteral(MIME_OF), {package}).split(u'\n'); }
    QString gioType() const {
        const QString info =
            run(QStringLiteral("gio"), {QStringLiteral("info"), QStringLiteral("-a"),
                                        QStringLiteral("standard::content-type"), package});
        return info.section(QStringLiteral("standard::content-type: "), 1).trimmed();
    }
    // Opens the package the way a file manager does and returns what the
    // stand-in that was started wrote.
    QString openThroughTheDesktop() const {
        const QString opened = scratch.path() + QStringLiteral("/opened");
        QFile::remove(opened);
        QProcess::execute(QStringLiteral("gio"), {QStringLiteral("open"), package});
        waitUntil([&] { return QFileInfo::exists(opened); }, 10000);
        return readText(opened).trimmed();
    }
    QString xdgDefault() const {
        return run(QStringLiteral("xdg-mime"),
                   {QStringLiteral("query"), QStringLiteral("default"), kMimeType});
    }

    QTemporaryDir scratch;
    QString dataHome;
    QString configHome;
    QString program;
    QString package;
};

// Registered, the type opens with the program; removed, exactly what was
// written goes again.
TEST_F(FileTypeAssociation, RegistrationOpensWithTheProgramAndRemovalTakesItBack) {
    // The user's list is kept among other dotfiles, behind a link.
    const QByteArray users =
        "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
        "[Default Applications]\nimage/png=viewer.desktop;\n";
    const QString kept = scratch.path() + QStringLiteral("/dotfiles/mimeapps.list");
    writeText(kept, users);
    ASSERT_TRUE(QFile::link(kept, configHome + QStringLiteral("/mimeapps.list")));
    ASSERT_TRUE(registerType());

    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(xdgDefault(), kDesktopEntryFile);
    EXPECT_TRUE(run(QStringLiteral("gio"), {QStringLiteral("mime"), kMimeType})
                    .contains(QStringLiteral("slidewright.desktop")));
    const QStringList written{QStringLiteral("/mime/packages/slidewright.xml"),
                              QStringLiteral("/applications/slidewright.desktop"),
                              QStringLiteral("/icons/hicolor/48x48/apps/slidewright.png")};
    EXPECT_TRUE(QFileInfo(dataHome + written[2]).isFile());
    // The desktop's own launcher parses our Exec line back into the program
    // and the package, blanks and dollar signs intact.
    EXPECT_EQ(openThroughTheDesktop(), package);

    ASSERT_TRUE(unregisterType());
    EXPECT_TRUE(QFileInfo(configHome + QStringLiteral("/mimeapps.list")).isSymLink());
    EXPECT_EQ(readText(kept), QString::fromUtf8(users));
    EXPECT_NE(freshView().value(0), kMimeType);
    EXPECT_NE(gioType(), kMimeType);
    EXPECT_EQ(xdgDefault(), QString());
    for (const QString& file : written) {
        EXPECT_FALSE(QFileInfo::exists(dataHome + file)) << qPrintable(file);
    }
}

TEST_F(FileTypeAssociation, PlainProgramPathIsWrittenUnquoted) {
    // xdg-open's generic mode reads an Exec line word by word, without
    // quotes: an ordinary install path must reach it bare.
    const QString plain = scratch.path() + QStringLiteral("/bin/slidewright");
    writeStandIn(plain, "");
    ASSERT_TRUE(RegisterFileType(kExtension, kTypeName, kDescription, plain, 0, plain));
    EXPECT_TRUE(readText(dataHome + QStringLiteral("/applications/slidewright.desktop"))
                    .contains(QStringLiteral("\nExec=") + plain + QStringLiteral(" %f\n")));
    EXPECT_EQ(openThroughTheDesktop(), package);
}

TEST_F(FileTypeAssociation, UserRegistrationLaysOverTheInstalledType) {
    // The installed type and desktop entry as the package lays them out,
    // its caches refreshed by the package's own maintainer script.
    const QString root = scratch.path() + QStringLiteral("/root");
    const QString share = root + QStringLiteral("/usr/share");
    const QString built = QStringLiteral(SLIDEWRIGHT_BINARY_DIR "/data/desktop/");
    for (const QString& file : {QStringLiteral("/mime/packages/") + kMimePackageFile,
                                QStringLiteral("/applications/") + kDesktopEntryFile}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(share + file).path()));
        ASSERT_TRUE(QFile::copy(built + QFileInfo(file).fileName(), share + file));
    }
    ASSERT_EQ(QProcess::execute(QStringLiteral("env"),
                                {QStringLiteral("DPKG_ROOT=") + root,
                                 QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/packaging/refresh-caches"),
                                 QStringLiteral("configure")}),
              0);

    // The installed entry starts "slidewright" from the PATH: a stand-in
    // that says it was the installed one.
    const QString bin = scratch.path() + QStringLiteral("/bin");
    writeStandIn(bin + QStringLiteral("/slidewright"), "installed ");
    // For the child processes of this test only; empty and unset read alike.
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([=] {
        qputenv("XDG_DATA_DIRS", dataDirs);
        qputenv("PATH", path);
    });
    qputenv("XDG_DATA_DIRS",
            (share + QStringLiteral(":/usr/local/share:/usr/share")).toLocal8Bit());
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);

    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(openThroughTheDesktop(), QStringLiteral("installed ") + package);

    ASSERT_TRUE(registerType());
    EXPECT_EQ(readText(dataHome + QStringLiteral("/mime/packages/") + kMimePackageFile),
              readText(share + QStringLiteral("/mime/packages/") + kMimePackageFile))
        << "the user's type is the installed one";
    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(openThroughTheDesktop(), package);

    ASSERT_TRUE(unregisterType());
    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(openThroughTheDesktop(), QStringLiteral("installed ") + package);
}

TEST(FileTypeTexts, ExecLineQuotesThePathForDesktopEntries) {
    EXPECT_EQ(execLine(QStringLiteral("/opt/slidewright/bin/slidewright")),
              QStringLiteral("/opt/slidewright/bin/slidewright %f"));
    EXPECT_EQ(execLine(QStringLiteral("/opt/50%/slidewright")),
              QStringLiteral("/opt/50%%/slidewright %f"));
    EXPECT_EQ(execLine(QStringLiteral("/home/a b/100%/$x\"`y`\\z")),
              QStringLiteral("\"/home/a b/100%%/\\\\$x\\\\\"\\\\`y\\\\`\\\\\\\\z\" %f"));
    EXPECT_EQ(execLine(QStringLiteral("/bad\nname")), QString());
}

TEST(FileTypeTexts, DefaultLineJoinsAndLeavesTheList) {
    const QString mime = QStringLiteral("application/x-slidewright");
    const QString ours = QStringLiteral("slidewright.desktop");
    const QString other = QStringLiteral(
        "# mine\n[Default Applications]\ntext/plain=gedit.desktop;\n\n[Added Associations]\n"
        "image/png=gimp.desktop;\n");
    const QString added = withDefaultApplication(other, mime, ours);
    EXPECT_EQ(added, QStringLiteral("# mine\n[Default Applications]\ntext/plain=gedit.desktop;\n"
                                    "application/x-slidewright=slidewright.desktop;\n\n"
                                    "[Added Associations]\nimage/png=gimp.desktop;\n"));
    EXPECT_EQ(withoutDefaultApplication(added, mime, ours), other);

    // A default another program took over is not ours to remove; ours
    // alone leaves a list.
    const QString head = QStringLiteral("[Default Applications]\napplication/x-slidewright=");
    const QString taken = head + QStringLiteral("other.desktop;\n");
    EXPECT_EQ(withoutDefaultApplication(taken, mime, ours), taken);
    EXPECT_EQ(withDefaultApplication(taken, mime, ours), head + ours + QStringLiteral(";\n"));
    EXPECT_EQ(withoutDefaultApplication(head + ours + QStringLiteral(";b.desktop;\n"), mime, ours),
              head + QStringLiteral("b.desktop;\n"));
}

}  // namespace
