#include "system/WorkFolderMove.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace WorkFolderMove {
namespace {

constexpr qint64 kChunk = 1 << 20;

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool sameFile(const QString& first, const QString& second) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(nativePath(first), nativePath(second), error);
    // When the file system cannot tell, assume the worst: deleting one could
    // delete both.
    return error || same;
}

bool sameContents(const QString& first, const QString& second) {
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size()) {
        return false;
    }
    while (!a.atEnd()) {
        const QByteArray chunk = a.read(kChunk);
        if (chunk.isEmpty() || b.read(chunk.size()) != chunk) {
            return false;
        }
    }
    return b.atEnd();
}

// A copy is made under a hidden temporary name in the target folder and
// renamed into place when complete and on disk, so the target name never
// holds half a picture and a link at the target is replaced, not followed.
bool copyInto(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    QTemporaryFile out(QFileInfo(target).path() + QStringLiteral("/.slidewright-move-XXXXXX"));
    if (!out.open()) {
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            return false;
        }
    }
    const QFileInfo original(source);
    out.setPermissions(original.permissions());
    out.setFileTime(original.lastModified(), QFileDevice::FileModificationTime);
    if (!out.flush() || ::fsync(out.handle()) != 0) {
        return false;
    }
    out.close();
    if (std::rename(QFile::encodeName(out.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        return false;
    }
    out.setAutoRemove(false);
    return true;
}

}  // namespace

bool sameFolder(const QString& first, const QString& second) {
    const QString a = QFileInfo(first).canonicalFilePath();
    const QString b = QFileInfo(second).canonicalFilePath();
    if (a.isEmpty() || b.isEmpty()) {
        return false;
    }
    // A bind mount shows one folder under two canonical paths.
    return a == b || sameFile(a, b);
}

Result MoveBitmaps(const QString& from, const QString& to) {
    Result result;
    if (!QFileInfo(from).isDir() || !QFileInfo(to).isDir() || sameFolder(from, to)) {
        return result;
    }
    // The listing is taken once, before anything is copied, so a picture
    // arriving meanwhile is not half-moved. Name filters ignore letter case
    // here: names made on Windows end in ".BMP" as often as in ".bmp".
    const QStringList names =
        QDir(from).entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names) {
        const QString source = from + u'/' + name;
        const QString target = to + u'/' + name;
        // A copy that fails leaves the original where it was; one whose
        // original cannot be deleted is in both folders, which loses nothing.
        if (copyInto(source, target) && sameContents(source, target) && !sameFile(source, target)) {
            QFile::remove(source);
            result.moved << name;
        } else {
            result.kept << name;
        }
    }
    return result;
}

}  // namespace WorkFolderMove
