#include "system/MKakucyoSet.h"

#include "archiver/ReplaceByRename.h"
#include "common/AppIcon.h"
#include "common/DesktopFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <array>
#include <utility>

namespace MKakucyoSet {
namespace {

const QString kDefaultGroup = QStringLiteral("Default Applications");
const QString kEntryGroup = QStringLiteral("Desktop Entry");
constexpr std::array kIconSizes{16, 32, 48, 64, 128, 256};
constexpr int kToolTimeoutMs = 60000;

QString dataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString configHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString mimePackagePath() {
    return dataHome() + QStringLiteral("/mime/packages/") + kMimePackageFile;
}

QString desktopEntryPath() {
    return dataHome() + QStringLiteral("/applications/") + kDesktopEntryFile;
}

QString mimeAppsPath() {
    return configHome() + QStringLiteral("/mimeapps.list");
}

QString iconPath(int size) {
    return QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png")
        .arg(dataHome())
        .arg(size)
        .arg(kIconName);
}

// Written whole or not at all, so a failed write never leaves half a file
// for the desktop to misread. A file kept behind a link (a mimeapps.list
// among other dotfiles) is replaced where the link points; the link stays.
bool writeFile(const QString& path, const QByteArray& bytes) {
    QString target = path;
    for (int depth = 0; depth < 40 && QFileInfo(target).isSymLink(); ++depth) {
        target = QFileInfo(target).symLinkTarget();
    }
    if (!QDir().mkpath(QFileInfo(target).path())) {
        return false;
    }
    auto file = ReplaceByRename::PendingFile::beside(QFile::encodeName(target).toStdString());
    return file.valid() && file.write(bytes.constData(), static_cast<std::size_t>(bytes.size())) &&
           file.commit(QFile::encodeName(QFileInfo(target).fileName()).toStdString());
}

bool removeIfPresent(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        return true;
    }
    return QFile::remove(path);
}

bool runTool(const QString& program, const QString& folder) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, {folder});
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The MIME database must be rebuilt for the type to exist at all; the desktop
// database is only a cache beside mimeapps.list, so its refresh is a courtesy.
bool refreshDatabases() {
    bool ok = true;
    const QString mimeFolder = dataHome() + QStringLiteral("/mime");
    if (QFileInfo(mimeFolder + QStringLiteral("/packages")).isDir()) {
        ok = runTool(QStringLiteral("update-mime-database"), mimeFolder);
    }
    const QString applications = dataHome() + QStringLiteral("/applications");
    if (QFileInfo(applications).isDir() &&
        !QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty()) {
        runTool(QStringLiteral("update-desktop-database"), applications);
    }
    return ok;
}

bool writeIcons() {
    for (int size : kIconSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !AppIcon::render(size).save(&buffer, "PNG") ||
            !writeFile(iconPath(size), png)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString execLine(const QString& program) {
    // Quoted only when it must be: xdg-open's generic mode cannot start a
    // program whose path is written in quotes.
    bool reserved = false;
    QString quoted;
    for (const QChar c : program) {
        if (c.category() == QChar::Other_Control) {
            return {};
        }
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        }
        reserved = reserved || QStringView(u" \t'><~|&;*?#()\"`$\\").contains(c);
        quoted += c;
    }
    QString word = reserved ? u'"' + quoted + u'"' : program;
    word.replace(u'%', QStringLiteral("%%"));
    return DesktopFile::escape(word) + QStringLiteral(" %f");
}

QByteArray mimePackage(const QString& extension, const QString& description) {
    // Every LHA archive carries its method at offset 2, so this magic alone
    // cannot tell a package from an archive: it ranks below the archive's
    // own, and a file named *.sdw holding LHA data is ours as a sub-class.
    const QString glob = QStringLiteral("*") + extension.toLower();
    const QString xml =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
            "  <mime-type type=\"%1\">\n"
            "    <comment>%2</comment>\n"
            "    <sub-class-of type=\"application/x-lha\"/>\n"
            "    <icon name=\"%3\"/>\n"
            "    <magic priority=\"40\">\n"
            "      <match type=\"string\" value=\"-lh0-\" mask=\"0xffffff00ff\" offset=\"2\"/>\n"
            "    </magic>\n"
            "    <glob pattern=\"%4\" weight=\"80\"/>\n"
            "  </mime-type>\n"
            "</mime-info>\n")
            .arg(kMimeType, description.toHtmlEscaped(), kIconName, glob.toHtmlEscaped());
    return xml.toUtf8();
}

QByteArray desktopEntry(const QString& exec) {
    const std::pair<const char*, QString> lines[] = {
        {"Type", QStringLiteral("Application")},
        {"Name", QStringLiteral("Slidewright")},
        {"Name[ja]", QStringLiteral("スライドライト")},
        {"GenericName", QStringLiteral("Screen movie maker")},
        {"GenericName[ja]", QStringLiteral("スクリーンムービー作成")},
        {"Comment", QStringLiteral("Make and play screen movies")},
        {"Comment[ja]", QStringLiteral("画面のコマ送りムービーを作って再生します")},
        {"Keywords", QStringLiteral("slideshow;screen movie;screenshot;capture;presentation;")},
        {"Keywords[ja]",
         QStringLiteral("スライドショー;ムービー;画面;キャプチャ;プレゼンテーション;")},
        {"Exec", exec},
        {"Icon", kIconName},
        {"MimeType", DesktopFile::joinList({kMimeType})},
        {"Terminal", QStringLiteral("false")},
        {"Categories", QStringLiteral("Graphics;")},
    };
    DesktopFile entry;
    for (const auto& [key, value] : lines) {
        entry.setValue(kEntryGroup, QString::fromLatin1(key), value);
    }
    return entry.text().toUtf8();
}

QString withDefaultApplication(const QString& mimeApps, const QString& mimeType,
                               const QString& entry) {
    DesktopFile list(mimeApps);
    list.setValue(kDefaultGroup, mimeType, DesktopFile::joinList({entry}));
    return list.text();
}

QString withoutDefaultApplication(const QString& mimeApps, const QString& mimeType,
                                  const QString& entry) {
    DesktopFile list(mimeApps);
    QStringList entries = DesktopFile::splitList(list.value(kDefaultGroup, mimeType));
    if (!entries.removeAll(entry)) {
        return mimeApps;
    }
    if (entries.isEmpty()) {
        list.removeKey(kDefaultGroup, mimeType);
    } else {
        list.setValue(kDefaultGroup, mimeType, DesktopFile::joinList(entries));
    }
    return list.text();
}

bool RegisterFileType(const QString& extension, const QString& typeName, const QString& description,
                      const QString& iconFile, std::int16_t iconIndex,
                      const QString& commandProgram) {
    Q_UNUSED(typeName);
    Q_UNUSED(iconFile);
    Q_UNUSED(iconIndex);
    const QString exec = execLine(commandProgram);
    if (extension.size() < 2 || !extension.startsWith(u'.') || exec.isEmpty() ||
        dataHome().isEmpty() || configHome().isEmpty()) {
        return false;
    }
    if (!writeFile(mimePackagePath(), mimePackage(extension, description)) ||
        !writeFile(desktopEntryPath(), desktopEntry(exec)) || !writeIcons()) {
        return false;
    }
    const auto mimeApps = DesktopFile::read(mimeAppsPath());
    if (!mimeApps) {
        return false;
    }
    const QString updated = withDefaultApplication(mimeApps->text(), kMimeType, kDesktopEntryFile);
    if (!writeFile(mimeAppsPath(), updated.toUtf8())) {
        return false;
    }
    return refreshDatabases();
}

bool UnregisterFileType(const QString& extension, const QString& typeName,
                        const QString& description, const QString& iconFile, std::int16_t iconIndex,
                        const QString& commandProgram) {
    Q_UNUSED(extension);
    Q_UNUSED(typeName);
    Q_UNUSED(description);
    Q_UNUSED(iconFile);
    Q_UNUSED(iconIndex);
    Q_UNUSED(commandProgram);
    if (dataHome().isEmpty() || configHome().isEmpty()) {
        return false;
    }
    bool ok = true;
    if (const auto mimeApps = DesktopFile::read(mimeAppsPath())) {
        const QString before = mimeApps->text();
        const QString after = withoutDefaultApplication(before, kMimeType, kDesktopEntryFile);
        if (after != before) {
            ok = after.trimmed().isEmpty() ? QFile::remove(mimeAppsPath())
                                           : writeFile(mimeAppsPath(), after.toUtf8());
        }
    } else {
        ok = false;
    }
    ok = removeIfPresent(mimePackagePath()) && ok;
    ok = removeIfPresent(desktopEntryPath()) && ok;
    for (int size : kIconSizes) {
        ok = removeIfPresent(iconPath(size)) && ok;
    }
    return refreshDatabases() && ok;
}

}  // namespace MKakucyoSet
