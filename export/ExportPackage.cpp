#include "ExportPackage.h"

#include "archiver/LhaReader.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"

#include <QFileInfo>
#include <QSet>

namespace ExportPackage {

std::optional<MovieToExport> Open(const QString& package, const QString& folder,
                                  ExportResult& problem) {
    if (ArchiverLibrary::instance() == nullptr) {
        problem = {ExportProblem::NoArchiver, {}};
        return std::nullopt;
    }
    auto invalid = [&] {
        problem = {ExportProblem::InvalidPackage, package};
        return std::nullopt;
    };
    if (!QFileInfo(package).isFile()) {
        return invalid();
    }
    MovieDoc doc;
    if (!MovieScript::ReadPackageScript(package, folder, MovieScript::ForPlayer, doc).ok()) {
        return invalid();
    }
    MovieToExport movie;
    movie.advanceMode = doc.advanceMode;
    movie.loopFlag = doc.loopFlag;
    movie.folder = folder;
    // Sizes come from headers anyone can write: weigh every member first,
    // as the player does, so that a few kilobytes declaring gigabytes cost
    // neither the time nor the disk.
    QStringList members;
    for (int k = 1; k <= doc.frameCount; ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        members << frame.pictureFile;
        if (!frame.soundFile.trimmed().isEmpty() && WorkFolder::isBareFileName(frame.soundFile)) {
            members << frame.soundFile;
        }
    }
    const ExtractionCheck::Plan plan = ExtractionCheck::Check(package, members, folder);
    switch (plan.message) {
        case MovieMessage::None:
            break;
        case MovieMessage::NotEnoughSpace:
            problem = {ExportProblem::DiskFull, plan.detail};
            return std::nullopt;
        case MovieMessage::PictureTooLarge:
            problem = {ExportProblem::PictureTooLarge, plan.detail};
            return std::nullopt;
        default:
            problem = {ExportProblem::InvalidPackage, plan.detail};
            return std::nullopt;
    }
    QSet<QString> extracted;
    // Each file once, by its exact name, as the player takes them out; a
    // damaged archive fails here, whichever member it breaks in.
    auto extract = [&](const QString& name) {
        if (extracted.contains(name)) {
            return true;
        }
        extracted.insert(name);
        const int status = MLha::ExtractFromPackage(package, folder, u'"' + name + u'"');
        if (status == static_cast<int>(lha::Status::WriteFailed)) {
            // Our own private folder refused the file: no room for it.
            problem = {ExportProblem::DiskFull, folder};
        } else if (status != 0) {
            problem = {ExportProblem::InvalidPackage, package};
        }
        return status == 0;
    };
    for (int k = 1; k <= doc.frameCount; ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        if (!frame.inUse || !WorkFolder::isBareFileName(frame.pictureFile)) {
            return invalid();
        }
        const QString sound = frame.soundFile;
        if (!extract(frame.pictureFile) ||
            (!sound.trimmed().isEmpty() && WorkFolder::isBareFileName(sound) && !extract(sound))) {
            return std::nullopt;
        }
        movie.frames.push_back(frame);
    }
    return movie;
}

}  // namespace ExportPackage
