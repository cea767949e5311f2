#include "AFrameReel.h"

#include "CommandLine.h"
#include "MovieDoc.h"
#include "WorkFolder.h"
#include "archiver/ReplaceByRename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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

MovieMessage PrepareWorkAndPackage(MovieDoc& doc) {
    if (!WorkFolder::privateFolder()) {
        return MovieMessage::InvalidPackage;
    }
    if (CommandLine::get().isEmpty()) {
        doc.clearPackage(DefaultFolder());
        return MovieMessage::None;
    }
    return doc.setPackagePath(CommandLine::get()) ? MovieMessage::None
                                                  : MovieMessage::InvalidPackage;
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
    if (!std::filesystem::equivalent(fsPath(source), fsPath(destination), error)) {
        ReplaceByRename::CopyFile(fsPath(source), fsPath(destination));
    }
}

}  // namespace AFrameReel
