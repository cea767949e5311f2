#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>

// The record of what the program put into a work folder, kept as a file in
// that folder: a line is appended as each file arrives under its name and
// when it goes, so the record outlives a run that is killed. A file is
// known by its name and by the file system's identity of it: device, inode
// and the time its inode last changed. A file the user later puts under
// the same name is not the one the program made, even when the freed inode
// is handed out again.
class WorkFolderRecord {
public:
    static inline const QString kFileName = QStringLiteral(".slidewright-files");

    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        // Nanoseconds; 0 for a folder, whose time changes with its contents.
        std::int64_t changed = 0;
        bool isFolder = false;
        friend bool operator==(const Identity&, const Identity&) = default;
    };

    // The identity of what is at path, not following a link; nothing for a
    // link, for anything but a regular file or a folder, or for no entry.
    static std::optional<Identity> identityOf(const QString& path);

    // Reads the record a folder holds (an unfinished last line is left
    // out); empty when there is none.
    static std::map<QString, Identity> read(const QString& folder);

    // Starts an empty record in folder, replacing any there; false when the
    // folder cannot hold one.
    bool start(const QString& folder);
    // Closes and deletes the record file.
    void finish();

    bool add(const QString& name, const Identity& identity);
    bool forget(const QString& name);

    const std::map<QString, Identity>& entries() const { return entries_; }

private:
    bool append(const QByteArray& line);

    QFile file_;
    std::map<QString, Identity> entries_;
};
