#include "WorkFolderRecord.h"

#include <QDir>

#include <sys/stat.h>

namespace {

// "+F <device> <inode> <name>", "+D ..." for a folder, "- <name>".
QByteArray addLine(const QString& name, const WorkFolderRecord::Identity& identity) {
    return (identity.isFolder ? QByteArray("+D ") : QByteArray("+F ")) +
           QByteArray::number(static_cast<qulonglong>(identity.device)) + ' ' +
           QByteArray::number(static_cast<qulonglong>(identity.inode)) + ' ' + name.toUtf8() + '\n';
}

}  // namespace

std::optional<WorkFolderRecord::Identity> WorkFolderRecord::identityOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 ||
        !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
        return std::nullopt;
    }
    return Identity{static_cast<std::uint64_t>(info.st_dev),
                    static_cast<std::uint64_t>(info.st_ino), S_ISDIR(info.st_mode)};
}

std::map<QString, WorkFolderRecord::Identity> WorkFolderRecord::read(const QString& folder) {
    std::map<QString, Identity> entries;
    QFile file(QDir(folder).filePath(kFileName));
    // A record is a line per file; a megabyte would be thousands of movies.
    if (!file.open(QIODevice::ReadOnly) || file.size() > (1 << 20)) {
        return entries;
    }
    const QByteArray text = file.read(1 << 20);
    qsizetype start = 0;
    while (true) {
        const qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            break;  // a line cut short by a killed run says nothing for sure
        }
        const QByteArray line = text.mid(start, end - start);
        start = end + 1;
        if (line.startsWith("- ")) {
            entries.erase(QString::fromUtf8(line.mid(2)));
            continue;
        }
        if (!line.startsWith("+F ") && !line.startsWith("+D ")) {
            continue;
        }
        const qsizetype deviceEnd = line.indexOf(' ', 3);
        const qsizetype inodeEnd = deviceEnd < 0 ? -1 : line.indexOf(' ', deviceEnd + 1);
        if (inodeEnd < 0) {
            continue;
        }
        bool deviceOk = false;
        bool inodeOk = false;
        const Identity identity{
            line.mid(3, deviceEnd - 3).toULongLong(&deviceOk),
            line.mid(deviceEnd + 1, inodeEnd - deviceEnd - 1).toULongLong(&inodeOk),
            line[1] == 'D'};
        const QString name = QString::fromUtf8(line.mid(inodeEnd + 1));
        if (deviceOk && inodeOk && !name.isEmpty()) {
            entries[name] = identity;
        }
    }
    return entries;
}

bool WorkFolderRecord::start(const QString& folder) {
    finish();
    file_.setFileName(QDir(folder).filePath(kFileName));
    // Unbuffered: each line reaches the file in one write, before the file
    // it announces appears.
    return file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
}

void WorkFolderRecord::finish() {
    if (file_.isOpen()) {
        file_.close();
        file_.remove();
    }
    entries_.clear();
}

bool WorkFolderRecord::add(const QString& name, const Identity& identity) {
    if (!append(addLine(name, identity))) {
        return false;
    }
    entries_[name] = identity;
    return true;
}

bool WorkFolderRecord::forget(const QString& name) {
    entries_.erase(name);
    return append("- " + name.toUtf8() + '\n');
}

bool WorkFolderRecord::append(const QByteArray& line) {
    return file_.isOpen() && file_.write(line) == line.size();
}
