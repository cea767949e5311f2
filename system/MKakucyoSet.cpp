#include "system/MKakucyoSet.h"

#include "common/AppIcon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

#include <array>

namespace MKakucyoSet {
namespace {

const QString kDefaultSection = QStringLiteral("[Default Applications]");
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
// for the desktop to misread.
bool writeFile(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    return file.write(bytes) == bytes.size() && file.commit();
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

// Desktop entry string values escape these; a name carrying another control
// character cannot be written at all.
QString escapeDesktopString(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\') {
            escaped += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            escaped += QStringLiteral("\\n");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

bool writeIcons() {
    for (int size : kIconSizes) {
        const QString path = iconPath(size);
        if (!QDir().mkpath(QFileInfo(path).path())) {
            return false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !AppIcon::render(size).save(&file, "PNG") ||
            !file.commit()) {
            return false;
        }
    }
    return true;
}

bool isSectionHeader(const QString& line) {
    return line.trimmed().startsWith(u'[');
}

bool isKeyLine(const QString& line, const QString& key) {
    const qsizetype equals = line.indexOf(u'=');
    return equals > 0 && line.left(equals).trimmed() == key;
}

// The lines of the [Default Applications] section: from its header to the
// next header. begin == -1 when the section is missing.
struct Section {
    qsizetype begin = -1;
    qsizetype end = -1;
};

Section findDefaultSection(const QStringList& lines) {
    Section section;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (section.begin < 0) {
            if (lines[i].trimmed() == kDefaultSection) {
                section.begin = i;
            }
        } else if (isSectionHeader(lines[i])) {
            section.end = i;
            return section;
        }
    }
    section.end = lines.size();
    return section;
}

QStringList splitLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

QString joinLines(const QStringList& lines) {
    return lines.isEmpty() ? QString() : lines.join(u'\n') + u'\n';
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
    return escapeDesktopString(word) + QStringLiteral(" %f");
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
    const QString entry =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Slidewright\n"
            "Name[ja]=スライドライト\n"
            "GenericName=Screen movie maker\n"
            "GenericName[ja]=スクリーンムービー作成\n"
            "Comment=Make and play screen movies\n"
            "Comment[ja]=画面のコマ送りムービーを作って再生します\n"
            "Keywords=slideshow;screen movie;screenshot;capture;presentation;\n"
            "Keywords[ja]=スライドショー;ムービー;画面;キャプチャ;プレゼンテーション;\n"
            "Exec=%1\n"
            "Icon=%2\n"
            "MimeType=%3;\n"
            "Terminal=false\n"
            "Categories=Graphics;\n")
            .arg(exec, kIconName, kMimeType);
    return entry.toUtf8();
}

QString withDefaultApplication(const QString& mimeApps, const QString& mimeType,
                               const QString& entry) {
    QStringList lines = splitLines(mimeApps);
    const QString line = mimeType + u'=' + entry + u';';
    const Section section = findDefaultSection(lines);
    if (section.begin < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) {
            lines << QString();
        }
        lines << kDefaultSection << line;
        return joinLines(lines);
    }
    qsizetype lastContent = section.begin;
    for (qsizetype i = section.begin + 1; i < section.end; ++i) {
        if (isKeyLine(lines[i], mimeType)) {
            lines[i] = line;
            return joinLines(lines);
        }
        if (!lines[i].trimmed().isEmpty()) {
            lastContent = i;
        }
    }
    lines.insert(lastContent + 1, line);
    return joinLines(lines);
}

QString withoutDefaultApplication(const QString& mimeApps, const QString& mimeType,
                                  const QString& entry) {
    QStringList lines = splitLines(mimeApps);
    const Section section = findDefaultSection(lines);
    if (section.begin < 0) {
        return mimeApps;
    }
    qsizetype end = section.end;
    for (qsizetype i = section.begin + 1; i < end; ++i) {
        if (!isKeyLine(lines[i], mimeType)) {
            continue;
        }
        const QString value = lines[i].mid(lines[i].indexOf(u'=') + 1).trimmed();
        QStringList entries = value.split(u';', Qt::SkipEmptyParts);
        if (!entries.removeAll(entry)) {
            continue;
        }
        if (entries.isEmpty()) {
            lines.removeAt(i);
            --i;
            --end;
        } else {
            lines[i] = mimeType + u'=' + entries.join(u';') + u';';
        }
    }
    bool sectionEmpty = true;
    for (qsizetype i = section.begin + 1; i < end; ++i) {
        sectionEmpty = sectionEmpty && lines[i].trimmed().isEmpty();
    }
    if (sectionEmpty) {
        lines.remove(section.begin, end - section.begin);
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) {
            lines.removeLast();
        }
    }
    return joinLines(lines);
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
    QString mimeApps;
    QFile existing(mimeAppsPath());
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            return false;
        }
        mimeApps = QString::fromUtf8(existing.readAll());
        existing.close();
    }
    const QString updated = withDefaultApplication(mimeApps, kMimeType, kDesktopEntryFile);
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
    QFile mimeApps(mimeAppsPath());
    if (mimeApps.exists()) {
        if (mimeApps.open(QIODevice::ReadOnly)) {
            const QString before = QString::fromUtf8(mimeApps.readAll());
            mimeApps.close();
            const QString after = withoutDefaultApplication(before, kMimeType, kDesktopEntryFile);
            if (after != before) {
                ok = after.trimmed().isEmpty() ? QFile::remove(mimeAppsPath())
                                               : writeFile(mimeAppsPath(), after.toUtf8());
            }
        } else {
            ok = false;
        }
    }
    ok = removeIfPresent(mimePackagePath()) && ok;
    ok = removeIfPresent(desktopEntryPath()) && ok;
    for (int size : kIconSizes) {
        ok = removeIfPresent(iconPath(size)) && ok;
    }
    return refreshDatabases() && ok;
}

}  // namespace MKakucyoSet
