#include "TemporaryPackage.h"

#include "moviefile/ReplaceByRename.h"

#include "RunIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>

namespace {

const QString kPrefix = QStringLiteral(".slidewright-save-");

// .slidewright-save-<pid>-<start time>-<six random characters>
const QRegularExpression& namePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.slidewright-save-(\\d+-\\d+)-[A-Za-z0-9]{6}$"));
    return pattern;
}

}  // namespace

TemporaryPackage::TemporaryPackage(const QString& target) : target_(target) {
    const QString folder = QFileInfo(target).absolutePath();
    removeAbandoned(folder);
    path_ = ReplaceByRename::ReserveBeside(target, kPrefix + RunIdentity::currentRun() +
                                                       QStringLiteral("-XXXXXX"));
    if (path_.isEmpty()) {
        return;
    }
    atEnd_.emplace([this] { remove(); });
}

TemporaryPackage::~TemporaryPackage() {
    remove();
}

void TemporaryPackage::remove() {
    if (!path_.isEmpty()) {
        ::unlink(QFile::encodeName(path_).constData());
        path_.clear();
    }
}

bool TemporaryPackage::commit() {
    if (path_.isEmpty() || !ReplaceByRename::RenameOver(path_, target_)) {
        return false;
    }
    path_.clear();
    return true;
}

int TemporaryPackage::removeAbandoned(const QString& folder) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({kPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString& name : names) {
        const QRegularExpressionMatch match = namePattern().match(name);
        const auto run = match.hasMatch() ? RunIdentity::parse(match.captured(1)) : std::nullopt;
        if (!run || RunIdentity::isAlive(run->pid, run->startTime)) {
            continue;
        }
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::getuid() && ::unlink(path.constData()) == 0) {
            ++removed;
        }
    }
    return removed;
}
