#include "WorkFolder.h"

#include "common/ProgramEnd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace WorkFolder {
namespace {

const QString kPrivatePrefix = QStringLiteral("slidewright-run-");

QString currentPath;
QString privatePath;

// The kernel's start time of a process, in clock ticks since boot: with
// the process id it names one run, even after the id has been reused.
std::optional<std::string> processStartTime(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!stat || !std::getline(stat, line)) {
        return std::nullopt;
    }
    // The program name in parentheses may hold blanks; count after it.
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int number = 3; fields >> field; ++number) {
        if (number == 22) {
            return field;
        }
    }
    return std::nullopt;
}

bool runIsAlive(long pid, const std::string& startTime) {
    if (const auto now = processStartTime(pid)) {
        return *now == startTime;
    }
    if (processStartTime(static_cast<long>(::getpid()))) {
        return false;  // /proc works, and knows no such process
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// Made on first use; its destructor covers a normal return from main.
struct PrivateFolderGuard {
    ~PrivateFolderGuard() { removePrivateFolder(); }
};

std::optional<QString> makePrivateFolder(const QString& root, const std::string& startTime) {
    const QString pattern =
        QDir(root).filePath(kPrivatePrefix + QStringLiteral("%1-%2-XXXXXX")
                                                 .arg(static_cast<long>(::getpid()))
                                                 .arg(QString::fromStdString(startTime)));
    QByteArray name = QFile::encodeName(pattern);
    // mkdtemp makes the folder with mode 0700.
    if (::mkdtemp(name.data()) == nullptr) {
        return std::nullopt;
    }
    return QFile::decodeName(name);
}

}  // namespace

const QString& path() {
    return currentPath;
}

void setPath(const QString& folder) {
    currentPath = folder;
    while (currentPath.size() > 1 && currentPath.endsWith(u'/')) {
        currentPath.chop(1);
    }
}

QString filePath(const QString& name) {
    return currentPath + u'/' + name;
}

std::optional<QString> privateFolder() {
    if (!privatePath.isEmpty() && QFileInfo(privatePath).isDir()) {
        return privatePath;
    }
    const std::string startTime =
        processStartTime(static_cast<long>(::getpid())).value_or(std::string("0"));
    std::optional<QString> made;
    for (const QString& root : {QDir::tempPath(), QStringLiteral("/tmp")}) {
        removeAbandonedFolders(root);
        made = makePrivateFolder(root, startTime);
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
        bool pidOk = false;
        const long pid = parts.value(0).toLong(&pidOk);
        if (parts.size() != 3 || !pidOk || pid <= 0) {
            continue;
        }
        const QString full = QDir(temporaryFolder).filePath(name);
        struct stat info {};
        if (full == privatePath || ::lstat(QFile::encodeName(full).constData(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
            continue;
        }
        if (runIsAlive(pid, parts.value(1).toStdString())) {
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
