#include "WorkFolder.h"

#include "RunIdentity.h"

#include "common/ProgramEnd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <filesystem>

namespace WorkFolder {
namespace {

const QString kPrivatePrefix = QStringLiteral("slidewright-run-");

QString privatePath;

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Made on first use; its destructor covers a normal return from main.
struct PrivateFolderGuard {
    ~PrivateFolderGuard() { removePrivateFolder(); }
};

std::optional<QString> makePrivateFolder(const QString& root) {
    const QString pattern =
        QDir(root).filePath(kPrivatePrefix + RunIdentity::currentRun() + QStringLiteral("-XXXXXX"));
    QByteArray name = QFile::encodeName(pattern);
    // mkdtemp makes the folder with mode 0700.
    if (::mkdtemp(name.data()) == nullptr) {
        return std::nullopt;
    }
    return QFile::decodeName(name);
}

}  // namespace

std::optional<QString> privateFolder() {
    if (!privatePath.isEmpty() && QFileInfo(privatePath).isDir()) {
        return privatePath;
    }
    std::optional<QString> made;
    for (const QString& root : {QDir::tempPath(), QStringLiteral("/tmp")}) {
        removeAbandonedFolders(root);
        made = makePrivateFolder(root);
        if (made) {
            break;
        }
    }
    if (!made) {
        return std::nullopt;
    }
    static PrivateFolderGuard guard;
    // Removing twice is harmless, so each new folder registers its removal.
    ProgramEnd::addHook(removePrivateFolder);
    privatePath = *made;
    return privatePath;
}

void removePrivateFolder() {
    if (privatePath.isEmpty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::remove_all(fsPath(privatePath), ignored);
    privatePath.clear();
}

int removeAbandonedFolders(const QString& temporaryFolder) {
    const QStringList names =
        QDir(temporaryFolder)
            .entryList({kPrivatePrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString& name : names) {
        // slidewright-run-<pid>-<start time>-<random>
        const QStringList parts = name.mid(kPrivatePrefix.size()).split(u'-');
        const auto run = RunIdentity::parse(parts.value(0) + u'-' + parts.value(1));
        if (parts.size() != 3 || !run) {
            continue;
        }
        const QString full = QDir(temporaryFolder).filePath(name);
        struct stat info {};
        if (full == privatePath || ::lstat(QFile::encodeName(full).constData(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
            continue;
        }
        if (RunIdentity::isAlive(run->pid, run->startTime)) {
            continue;
        }
        std::error_code ignored;
        if (std::filesystem::remove_all(fsPath(full), ignored) > 0 && !ignored) {
            ++removed;
        }
    }
    return removed;
}

bool isBareFileName(const QString& name) {
    if (name.isEmpty() || name == u"." || name.startsWith(u"..")) {
        return false;
    }
    // A drive form such as C:x names a place, not a file.
    if (name.size() >= 2 && name[1] == u':' && name[0].isLetter()) {
        return false;
    }
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u'*' || c == u'?' || c == u'"' || c.unicode() < 0x20 ||
            c.unicode() == 0x7f) {
            return false;
        }
    }
    return true;
}

}  // namespace WorkFolder
