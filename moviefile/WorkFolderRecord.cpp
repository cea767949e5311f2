#include "WorkFolderRecord.h"

#include <QDir>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

constexpr qint64 kRewriteAt = 256 * 1024;
constexpr qint64 kLargest = 1024 * 1024;

// "+F <device> <inode> <changed> <name>", "+D ..." for a folder, "- <name>".
QByteArray addLine(const QString& name, const WorkFolderRecord::Identity& identity) {
    return (identity.isFolder ? QByteArray("+D ") : QByteArray("+F ")) +
           QByteArray::number(static_cast<qulonglong>(identity.device)) + ' ' +
           QByteArray::number(static_cast<qulonglong>(identity.inode)) + ' ' +
           QByteArray::number(static_cast<qlonglong>(identity.changed)) + ' ' + name.toUtf8() +
           '\n';
}

}  // namespace

std::optional<WorkFolderRecord::Identity> WorkFolderRecord::identityOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 ||
        !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))) {
        return std::nullopt;
    }
    const bool folder = S_ISDIR(info.st_mode);
    const std::int64_t changed =
        folder
            ? 0
            : static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
    return Identity{static_cast<std::uint64_t>(info.st_dev),
                    static_cast<std::uint64_t>(info.st_ino), changed, folder};
}

std::map<QString, WorkFolderRecord::Identity> WorkFolderRecord::read(const QString& folder) {
    std::map<QString, Identity> entries;
    QFile file(QDir(folder).filePath(kFileName));
    // A record is a line per file and is written anew before it grows large.
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargest) {
        return entries;
    }
    const QByteArray text = file.read(kLargest);
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
        // Three numbers, then the name, which may hold blanks.
        const QList<QByteArray> fields = line.mid(3).split(' ');
        if (fields.size() < 4) {
            continue;
        }
        bool deviceOk = false;
        bool inodeOk = false;
        bool changedOk = false;
        const Identity identity{fields[0].toULongLong(&deviceOk), fields[1].toULongLong(&inodeOk),
                                fields[2].toLongLong(&changedOk), line[1] == 'D'};
        const qsizetype nameAt = 3 + fields[0].size() + fields[1].size() + fields[2].size() + 3;
        const QString name = QString::fromUtf8(line.mid(nameAt));
        if (deviceOk && inodeOk && changedOk && !name.isEmpty()) {
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
    const auto before = entries_.find(name);
    const std::optional<Identity> previous =
        before != entries_.end() ? std::optional(before->second) : std::nullopt;
    entries_[name] = identity;
    if (!append(addLine(name, identity))) {
        if (previous) {
            entries_[name] = *previous;
        } else {
            entries_.erase(name);
        }
        return false;
    }
    return true;
}

bool WorkFolderRecord::forget(const QString& name) {
    entries_.erase(name);
    return append("- " + name.toUtf8() + '\n');
}

bool WorkFolderRecord::append(const QByteArray& line) {
    if (!file_.isOpen() || file_.write(line) != line.size()) {
        return false;
    }
    // A long session adds and forgets thousands of files: the record is
    // written anew, whole, before it grows past what is read back.
    if (file_.size() > kRewriteAt) {
        QSaveFile whole(file_.fileName());
        if (whole.open(QIODevice::WriteOnly)) {
            for (const auto& [name, identity] : entries_) {
                whole.write(addLine(name, identity));
            }
            if (whole.commit()) {
                file_.close();
                return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
            }
        }
    }
    return true;
}
