#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The freedesktop key-file text that desktop entries and mimeapps.list
// share: "[Group]" headers, "Key=Value" lines and "#" comments. Edits work
// line by line, so that rewriting a user's file keeps every line they do
// not touch as it was.
class DesktopFile {
public:
    DesktopFile() = default;
    explicit DesktopFile(const QString& text);
    // The file at `path`: empty when there is none, nothing when it cannot
    // be read.
    static std::optional<DesktopFile> read(const QString& path);

    QString text() const;

    // Every key and value of the groups with this name, in file order, keys
    // and values trimmed, values still escaped.
    QList<std::pair<QString, QString>> entries(const QString& group) const;
    // The first value of the key in the group; empty when it has none.
    QString value(const QString& group, const QString& key) const;

    // Puts `key=value` in place of the key's line in the group, or after
    // the group's last line, or in a new group at the end.
    void setValue(const QString& group, const QString& key, const QString& value);
    // Removes the key's lines from the group; a group left without any
    // line goes too.
    void removeKey(const QString& group, const QString& key);

    // String values with the escapes desktop entries use (\s \n \t
    // \r \\).
    static QString escape(const QString& text);
    static QString unescape(const QString& value);
    // The parts of a ";"-separated list value, and the value of a list.
    static QStringList splitList(const QString& value);
    static QString joinList(const QStringList& items);

private:
    struct Span {
        qsizetype header = -1;  // -1: no such group
        qsizetype end = -1;     // the next group's header, or the end
    };
    Span find(const QString& group) const;

    QStringList lines_;
};
