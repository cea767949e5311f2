#include "common/DefaultApplication.h"

#include "common/DesktopFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace DefaultApplication {
namespace {

QStringList searchPath(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    QStringList folders = (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
    return folders;
}

QString configHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString dataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QStringList applicationFolders() {
    QStringList folders{dataHome() + QStringLiteral("/applications")};
    for (const QString& folder :
         searchPath("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))) {
        folders << folder + QStringLiteral("/applications");
    }
    return folders;
}

// Desktop-specific lists come before the general one in each folder.
QStringList mimeAppsLists() {
    QStringList desktops;
    for (const QString& desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts)) {
        desktops << desktop.toLower() + QStringLiteral("-mimeapps.list");
    }
    desktops << QStringLiteral("mimeapps.list");
    QStringList lists;
    QStringList configFolders{configHome()};
    configFolders << searchPath("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& folder : configFolders) {
        for (const QString& name : desktops) {
            lists << folder + u'/' + name;
        }
    }
    for (const QString& folder : applicationFolders()) {
        for (const QString& name : desktops) {
            lists << folder + u'/' + name;
        }
    }
    return lists;
}

// key=value lines of one group of a desktop-style file.
QList<std::pair<QString, QString>> readGroup(const QString& path, const QString& group) {
    const auto file = DesktopFile::read(path);
    return file ? file->entries(group) : QList<std::pair<QString, QString>>();
}

// Lists may name a type by one of its aliases, in any case: ImageMagick
// lists "image/x-ms-bmp" for what the database calls "image/bmp".
QStringList namesOf(const QString& mimeType) {
    QStringList names{mimeType};
    names << QMimeDatabase().mimeTypeForName(mimeType).aliases();
    return names;
}

bool sameType(const QString& listed, const QStringList& names) {
    return names.contains(listed, Qt::CaseInsensitive);
}

QStringList entriesFor(const QList<std::pair<QString, QString>>& group, const QString& mimeType) {
    QStringList ids;
    const QStringList names = namesOf(mimeType);
    for (const auto& [key, value] : group) {
        if (sameType(key, names)) {
            ids << DesktopFile::splitList(value);
        }
    }
    return ids;
}

std::optional<DesktopEntry> findEntry(const QString& id) {
    for (const QString& folder : applicationFolders()) {
        // An id "vendor-app.desktop" may also stand for vendor/app.desktop.
        QStringList candidates{folder + u'/' + id};
        if (const qsizetype dash = id.indexOf(u'-'); dash > 0) {
            QString nested = id;
            nested[dash] = u'/';
            candidates << folder + u'/' + nested;
        }
        for (const QString& path : candidates) {
            if (QFileInfo(path).isFile()) {
                return readEntry(path, id);
            }
        }
    }
    return std::nullopt;
}

// Installed entries whose MimeType lists the type, in folder order; an id
// seen in an earlier folder hides the same id later on.
QStringList entriesListing(const QString& mimeType) {
    QStringList ids;
    const QStringList names = namesOf(mimeType);
    QStringList seen;
    for (const QString& folder : applicationFolders()) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        QStringList here;
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = QDir(folder).relativeFilePath(path);
            id.replace(u'/', u'-');
            if (seen.contains(id)) {
                continue;
            }
            here << id;
            for (const auto& [key, value] : readGroup(path, QStringLiteral("Desktop Entry"))) {
                if (key != u"MimeType") {
                    continue;
                }
                const QStringList types = DesktopFile::splitList(value);
                if (std::any_of(types.begin(), types.end(),
                                [&](const QString& type) { return sameType(type, names); })) {
                    ids << id;
                }
            }
        }
        seen << here;
    }
    return ids;
}

std::optional<DesktopEntry> forExactType(const QString& mimeType) {
    const QStringList lists = mimeAppsLists();
    QStringList removed;
    for (const QString& list : lists) {
        removed << entriesFor(readGroup(list, QStringLiteral("Removed Associations")), mimeType);
        for (const QString& id :
             entriesFor(readGroup(list, QStringLiteral("Default Applications")), mimeType)) {
            if (auto entry = findEntry(id)) {
                return entry;
            }
        }
    }
    QStringList candidates;
    for (const QString& list : lists) {
        candidates << entriesFor(readGroup(list, QStringLiteral("Added Associations")), mimeType);
    }
    candidates << entriesListing(mimeType);
    for (const QString& id : candidates) {
        if (removed.contains(id)) {
            continue;
        }
        if (auto entry = findEntry(id)) {
            return entry;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<DesktopEntry> readEntry(const QString& path, const QString& id) {
    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    QString type;
    QString tryExec;
    bool hidden = false;
    for (const auto& [key, value] : readGroup(path, QStringLiteral("Desktop Entry"))) {
        if (key == u"Type") {
            type = value;
        } else if (key == u"Name") {
            entry.name = DesktopFile::unescape(value);
        } else if (key == u"Icon") {
            entry.icon = DesktopFile::unescape(value);
        } else if (key == u"Exec") {
            entry.exec = DesktopFile::unescape(value);
        } else if (key == u"TryExec") {
            tryExec = DesktopFile::unescape(value);
        } else if (key == u"Hidden") {
            hidden = value == u"true";
        } else if (key == u"Terminal") {
            entry.terminal = value == u"true";
        }
    }
    if (hidden || type != u"Application" || entry.exec.isEmpty()) {
        return std::nullopt;
    }
    const QStringList command = commandFor(entry, QString());
    if (command.isEmpty() || QStandardPaths::findExecutable(command.first()).isEmpty() ||
        (!tryExec.isEmpty() && QStandardPaths::findExecutable(tryExec).isEmpty())) {
        return std::nullopt;
    }
    return entry;
}

std::optional<DesktopEntry> forMimeType(const QString& mimeType) {
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForName(mimeType);
    QStringList types{type.isValid() ? type.name() : mimeType};
    if (type.isValid()) {
        // Every type descends from octet-stream; a hex editor registered for
        // it is no default for documents.
        for (const QString& ancestor : type.allAncestors()) {
            if (ancestor != u"application/octet-stream") {
                types << ancestor;
            }
        }
    }
    for (const QString& name : types) {
        if (auto entry = forExactType(name)) {
            return entry;
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> forFile(const QString& path) {
    if (QFileInfo(path).isDir()) {
        return forMimeType(QStringLiteral("inode/directory"));
    }
    return forMimeType(QMimeDatabase().mimeTypeForFile(path).name());
}

QStringList commandFor(const DesktopEntry& entry, const QString& file) {
    // Split by the Exec quoting rules: double quotes group, a backslash in
    // them escapes the next character.
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < entry.exec.size(); ++i) {
        const QChar c = entry.exec[i];
        if (quoted) {
            if (c == u'\\' && i + 1 < entry.exec.size()) {
                word += entry.exec[++i];
            } else if (c == u'"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == u'"') {
            quoted = inWord = true;
        } else if (c == u' ' || c == u'\t') {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) {
        return {};
    }
    if (inWord) {
        words << word;
    }

    QStringList command;
    bool fileGiven = false;
    for (const QString& w : words) {
        if (w == u"%f" || w == u"%F") {
            if (!file.isEmpty()) {
                command << file;
            }
            fileGiven = true;
        } else if (w == u"%u" || w == u"%U") {
            if (!file.isEmpty()) {
                command << QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
            }
            fileGiven = true;
        } else if (w == u"%i") {
            if (!entry.icon.isEmpty()) {
                command << QStringLiteral("--icon") << entry.icon;
            }
        } else {
            QString expanded;
            for (qsizetype i = 0; i < w.size(); ++i) {
                if (w[i] != u'%' || i + 1 == w.size()) {
                    expanded += w[i];
                    continue;
                }
                const QChar code = w[++i];
                if (code == u'%') {
                    expanded += u'%';
                } else if (code == u'c') {
                    expanded += entry.name;
                } else if (code == u'k') {
                    expanded += entry.path;
                } else if (code == u'f' || code == u'u') {
                    expanded += code == u'f'
                                    ? file
                                    : QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
                    fileGiven = true;
                }
                // Deprecated and unknown codes are dropped.
            }
            command << expanded;
        }
    }
    if (!fileGiven && !file.isEmpty()) {
        command << file;
    }
    if (entry.terminal && !command.isEmpty()) {
        const QString terminal =
            QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (!terminal.isEmpty()) {
            command.prepend(QStringLiteral("-e"));
            command.prepend(terminal);
        }
    }
    return command;
}

bool launchDetached(const DesktopEntry& entry, const QString& file) {
    QStringList command = commandFor(entry, file);
    if (command.isEmpty()) {
        return false;
    }
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command, QFileInfo(file).absolutePath());
}

}  // namespace DefaultApplication
