#include "ReplaceByRename.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <cstdio>

namespace ReplaceByRename {

QString ReserveBeside(const QString& target, const QString& pattern) {
    const QFileInfo info(target);
    const QString name =
        pattern.isEmpty() ? u'.' + info.fileName() + QStringLiteral(".XXXXXX") : pattern;
    QTemporaryFile file(info.absolutePath() + u'/' + name);
    file.setAutoRemove(false);
    if (!file.open()) {
        return {};
    }
    // A temporary file is private to its owner; the finished file should
    // not be, any more than any other file the user makes.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(file.handle(), mode);
    return file.fileName();
}

bool RenameOver(const QString& finished, const QString& target) {
    return std::rename(QFile::encodeName(finished).constData(),
                       QFile::encodeName(target).constData()) == 0;
}

}  // namespace ReplaceByRename
