// The .sdw association, written into the throw-away XDG folders this test
// runs in, and read back by the desktop's own tools (gio, xdg-mime) and by a
// fresh process asking Qt.
#include "system/MKakucyoSet.h"
#include "tests/QtWait.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

using namespace MKakucyoSet;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        return u"<timed out>"_s;
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
        program = scratch.path() + u"/my $tools/slide wright"_s;
        writeStandIn(program, "");
        package = scratch.path() + u"/デモ movie.sdw"_s;
        writeText(package, "-lh0- not really a package");
    }

    void TearDown() override {
        UnregisterFileType(kExtension, kTypeName, kDescription, program, 0, program);
        QFile::remove(configHome + u"/mimeapps.list"_s);
    }

    // A stand-in for the program: records the file it is asked to open,
    // after `says`.
    void writeStandIn(const QString& path, const char* says) const {
        writeText(path, u"#!/bin/sh\necho \"%1$1\" > '%2.part'\nmv '%2.part' '%2'\n"_s
                            .arg(QLatin1String(says), scratch.path() + u"/opened"_s)
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
            run(u"gio"_s, {u"info"_s, u"-a"_s, u"standard::content-type"_s, package});
        return info.section(u"standard::content-type: "_s, 1).trimmed();
    }
    // Opens the package the way a file manager does and returns what the
    // stand-in that was started wrote.
    QString openThroughTheDesktop() const {
        const QString opened = scratch.path() + u"/opened"_s;
        QFile::remove(opened);
        QProcess::execute(u"gio"_s, {u"open"_s, package});
        waitUntil([&] { return QFileInfo::exists(opened); }, 10000);
        return readText(opened).trimmed();
    }
    QString xdgDefault() const { return run(u"xdg-mime"_s, {u"query"_s, u"default"_s, kMimeType}); }

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
    const QString kept = scratch.path() + u"/dotfiles/mimeapps.list"_s;
    writeText(kept, users);
    ASSERT_TRUE(QFile::link(kept, configHome + u"/mimeapps.list"_s));
    ASSERT_TRUE(registerType());

    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(xdgDefault(), kDesktopEntryFile);
    EXPECT_TRUE(run(u"gio"_s, {u"mime"_s, kMimeType}).contains(u"slidewright.desktop"_s));
    const QStringList written{u"/mime/packages/slidewright.xml"_s,
                              u"/applications/slidewright.desktop"_s,
                              u"/icons/hicolor/48x48/apps/slidewright.png"_s};
    EXPECT_TRUE(QFileInfo(dataHome + written[2]).isFile());
    // The desktop's own launcher parses our Exec line back into the program
    // and the package, blanks and dollar signs intact.
    EXPECT_EQ(openThroughTheDesktop(), package);

    ASSERT_TRUE(unregisterType());
    EXPECT_TRUE(QFileInfo(configHome + u"/mimeapps.list"_s).isSymLink());
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
    const QString plain = scratch.path() + u"/bin/slidewright"_s;
    writeStandIn(plain, "");
    ASSERT_TRUE(RegisterFileType(kExtension, kTypeName, kDescription, plain, 0, plain));
    EXPECT_TRUE(readText(dataHome + u"/applications/slidewright.desktop"_s)
                    .contains(u"\nExec="_s + plain + u" %f\n"_s));
    EXPECT_EQ(openThroughTheDesktop(), package);
}

TEST_F(FileTypeAssociation, UserRegistrationLaysOverTheInstalledType) {
    // The installed type and desktop entry as the package lays them out,
    // its caches refreshed by the package's own maintainer script.
    const QString root = scratch.path() + u"/root"_s;
    const QString share = root + u"/usr/share"_s;
    const QString built = QStringLiteral(SLIDEWRIGHT_BINARY_DIR "/data/desktop/");
    for (const QString& file :
         {u"/mime/packages/"_s + kMimePackageFile, u"/applications/"_s + kDesktopEntryFile}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(share + file).path()));
        ASSERT_TRUE(QFile::copy(built + QFileInfo(file).fileName(), share + file));
    }
    ASSERT_EQ(QProcess::execute(u"env"_s,
                                {u"DPKG_ROOT="_s + root,
                                 QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/packaging/refresh-caches"),
                                 u"configure"_s}),
              0);

    // The installed entry starts "slidewright" from the PATH: a stand-in
    // that says it was the installed one.
    const QString bin = scratch.path() + u"/bin"_s;
    writeStandIn(bin + u"/slidewright"_s, "installed ");
    // For the child processes of this test only; empty and unset read alike.
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([=] {
        qputenv("XDG_DATA_DIRS", dataDirs);
        qputenv("PATH", path);
    });
    qputenv("XDG_DATA_DIRS", (share + u":/usr/local/share:/usr/share"_s).toLocal8Bit());
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);

    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(openThroughTheDesktop(), u"installed "_s + package);

    ASSERT_TRUE(registerType());
    EXPECT_EQ(readText(dataHome + u"/mime/packages/"_s + kMimePackageFile),
              readText(share + u"/mime/packages/"_s + kMimePackageFile))
        << "the user's type is the installed one";
    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(openThroughTheDesktop(), package);

    ASSERT_TRUE(unregisterType());
    EXPECT_EQ(freshView(), (QStringList{kMimeType, kDesktopEntryFile}));
    EXPECT_EQ(gioType(), kMimeType);
    EXPECT_EQ(openThroughTheDesktop(), u"installed "_s + package);
}

TEST(FileTypeTexts, ExecLineQuotesThePathForDesktopEntries) {
    EXPECT_EQ(execLine(u"/opt/slidewright/bin/slidewright"_s),
              u"/opt/slidewright/bin/slidewright %f"_s);
    EXPECT_EQ(execLine(u"/opt/50%/slidewright"_s), u"/opt/50%%/slidewright %f"_s);
    EXPECT_EQ(execLine(u"/home/a b/100%/$x\"`y`\\z"_s),
              u"\"/home/a b/100%%/\\\\$x\\\\\"\\\\`y\\\\`\\\\\\\\z\" %f"_s);
    EXPECT_EQ(execLine(u"/bad\nname"_s), QString());
}

TEST(FileTypeTexts, DefaultLineJoinsAndLeavesTheList) {
    const QString mime = u"application/x-slidewright"_s;
    const QString ours = u"slidewright.desktop"_s;
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
    const QString head = u"[Default Applications]\napplication/x-slidewright="_s;
    const QString taken = head + u"other.desktop;\n"_s;
    EXPECT_EQ(withoutDefaultApplication(taken, mime, ours), taken);
    EXPECT_EQ(withDefaultApplication(taken, mime, ours), head + ours + u";\n"_s);
    EXPECT_EQ(withoutDefaultApplication(head + ours + u";b.desktop;\n"_s, mime, ours),
              head + u"b.desktop;\n"_s);
}

}  // namespace
