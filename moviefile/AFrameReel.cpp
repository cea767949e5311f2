#include "AFrameReel.h"

#include "CommandLine.h"
#include "ExtractionCheck.h"
#include "MLha.h"
#include "MovieDoc.h"
#include "PreviewMode.h"
#include "WorkFolder.h"
#include "archiver/ReplaceByRename.h"

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

bool extractMember(const QString& name) {
    return WorkFolder::isBareFileName(name) &&
           MLha::ExtractFromPackage(movieDoc().packagePath, WorkFolder::path(),
                                    u'"' + name + u'"') == 0;
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
    if (CommandLine::get().isEmpty()) {
        doc.clearPackage(DefaultFolder());
        return MovieMessage::None;
    }
    return doc.setPackagePath(CommandLine::get()) ? MovieMessage::None
                                                  : MovieMessage::InvalidPackage;
}

FramePicture LoadFramePicture(int k, bool deleteAfter, bool extractFirst) {
    const MovieDoc& doc = movieDoc();
    FramePicture picture;
    if (!doc.hasSlot(k) ||
        !WorkFolder::isBareFileName(doc.frames[static_cast<size_t>(k)].pictureFile)) {
        picture.message = MovieMessage::InvalidPackage;
        return picture;
    }
    const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
    const QString path = WorkFolder::filePath(frame.pictureFile);
    const bool extracting = !previewMode && extractFirst;
    const bool withSound =
        !frame.soundFile.isEmpty() && WorkFolder::isBareFileName(frame.soundFile);
    auto removeExtracted = [&] {
        DeleteFileQuietly(path);
        if (withSound && frame.soundFile != frame.pictureFile) {
            DeleteFileQuietly(WorkFolder::filePath(frame.soundFile));
        }
    };
    if (extracting) {
        QStringList members{frame.pictureFile};
        if (withSound) {
            members << frame.soundFile;
        }
        const ExtractionCheck::Plan plan =
            ExtractionCheck::Check(doc.packagePath, members, WorkFolder::path());
        if (!plan.ok()) {
            picture.message = plan.message;
            picture.detail = plan.detail;
            return picture;
        }
        if (!extractMember(frame.pictureFile)) {
            picture.message = MovieMessage::InvalidPackage;
            removeExtracted();
            return picture;
        }
        if (withSound) {
            // A sound missing from the package leaves the frame silent; the
            // editor saves such packages when a sound file has gone.
            extractMember(frame.soundFile);
        }
    }
    picture.image.load(path);
    if (picture.image.isNull()) {
        picture.message = MovieMessage::InvalidPackage;
        if (extracting) {
            removeExtracted();
        }
    }
    if (!previewMode && deleteAfter) {
        DeleteFileQuietly(path);
    }
    return picture;
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
