#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The desktop's default application for a file type, found the way the
// freedesktop MIME applications rules say: mimeapps.list defaults first,
// then added associations, then any installed entry that lists the type,
// and the type's parent types after the type itself.
namespace DefaultApplication {

struct DesktopEntry {
    QString id;    // "org.example.Viewer.desktop"
    QString path;  // the .desktop file
    QString name;
    QString icon;
    QString exec;  // the Exec value, string escapes already undone
    bool terminal = false;
};

std::optional<DesktopEntry> forMimeType(const QString& mimeType);
std::optional<DesktopEntry> forFile(const QString& path);

// Reads one desktop entry; nothing when it is hidden, not an application or
// its program is not installed.
std::optional<DesktopEntry> readEntry(const QString& path, const QString& id);

// The program and its arguments for opening `file`, field codes expanded;
// empty when the Exec value cannot be parsed.
QStringList commandFor(const DesktopEntry& entry, const QString& file);

// Starts the entry on `file` without waiting for it.
bool launchDetached(const DesktopEntry& entry, const QString& file);

}  // namespace DefaultApplication
