#include "AFrameReel.h"

#include "CommandLine.h"
#include "MCHAR_CHK.h"
#include "MMojiTikanAll.h"
#include "MovieDoc.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace AFrameReel {
namespace {

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool isWildcard(const QString& name) {
    return name.contains(u'*') || name.contains(u'?');
}

// * and ? against a whole name, without regard to case.
bool matches(QStringView pattern, QStringView name) {
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == u'?' || pattern[p].toCaseFolded() == name[n].toCaseFolded())) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') {
        ++p;
    }
    return p == pattern.size();
}

void removeFile(const QString& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(fsPath(path), error);
    if (!error && status.type() != std::filesystem::file_type::directory) {
        std::filesystem::remove(fsPath(path), error);
    }
}

}  // namespace

QString DefaultFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return documents;
    }
    return QDir::homePath();
}

MovieMessage PrepareWorkAndPackage() {
    const auto folder = WorkFolder::privateFolder();
    if (!folder) {
        return MovieMessage::InvalidPackage;
    }
    WorkFolder::setPath(*folder);

    MovieDoc& doc = movieDoc();
    QString package = CommandLine::get();
    if (package.isEmpty()) {
        doc.packagePath.clear();
        doc.packageFolder = DefaultFolder() + u'/';
        return MovieMessage::None;
    }
    MMojiTikanAll::ReplaceAllText(true, package, QStringLiteral("\""), QString(), false);
    const QFileInfo info(package);
    if (package.isEmpty() || !info.isFile()) {
        return MovieMessage::InvalidPackage;
    }
    // Absolute, so that a dialog changing the current folder cannot move it.
    doc.packagePath = info.absoluteFilePath();
    int position = 0;
    int count = 0;
    MCHAR_CHK::FindTextPos(true, doc.packagePath, QStringLiteral("/"), position, count);
    doc.packageFolder = doc.packagePath.left(position);
    return MovieMessage::None;
}

void DeleteFileQuietly(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString name = path.mid(slash + 1);
    if (!isWildcard(name)) {
        removeFile(path);
        return;
    }
    const QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash + 1);
    const QStringList entries =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (matches(name, entry)) {
            removeFile(QDir(folder).filePath(entry));
        }
    }
}

void CopyFileQuietly(const QString& source, const QString& destination) {
    std::error_code error;
    if (std::filesystem::equivalent(fsPath(source), fsPath(destination), error)) {
        return;
    }
    const QFileInfo target(destination);
    const QString partial = target.dir().filePath(
        QStringLiteral(".%1.copy-%2").arg(target.fileName()).arg(static_cast<long>(::getpid())));
    error.clear();
    std::filesystem::copy_file(fsPath(source), fsPath(partial),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error) {
        std::filesystem::rename(fsPath(partial), fsPath(destination), error);
    }
    if (error) {
        std::filesystem::remove(fsPath(partial), error);
    }
}

}  // namespace AFrameReel
