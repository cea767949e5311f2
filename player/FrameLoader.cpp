#include "FrameLoader.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"

#include <QDir>

// What one frame's read needs and leaves.
struct FrameLoader::Reading {
    QString package;
    QString folder;
    bool preview = false;
    bool inTable = false;
    FrameEntry frame;

    FramePicture picture;
    bool pictureOnDisk = false;
    bool soundExtracted = false;

    // Frame k of doc.
    void setUp(const MovieDoc& doc, const QString& workFolder, bool previewing, int k) {
        package = doc.packagePath;
        folder = workFolder;
        preview = previewing;
        inTable = doc.hasSlot(k);
        if (inTable) {
            frame = doc.frames[static_cast<size_t>(k)];
        }
    }

    QString pathOf(const QString& name) const { return QDir(folder).filePath(name); }

    // Removes what this read extracted and has not used.
    void removeExtracted() {
        if (pictureOnDisk) {
            AFrameReel::DeleteFileQuietly(pathOf(frame.pictureFile));
            pictureOnDisk = false;
        }
        if (soundExtracted) {
            AFrameReel::DeleteFileQuietly(pathOf(frame.soundFile));
        }
        soundExtracted = false;
    }

    void run();
};

namespace {

bool extractMember(const QString& package, const QString& folder, const QString& name) {
    return MLha::ExtractFromPackage(package, folder, u'"' + name + u'"') == 0;
}

// Converted to what a pixmap holds as it is.
void makeShowable(QImage& image) {
    const QImage::Format shown =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != shown) {
        image.convertTo(shown);
    }
}

}  // namespace

void FrameLoader::Reading::run() {
    if (!inTable || !WorkFolder::isBareFileName(frame.pictureFile)) {
        picture.message = MovieMessage::InvalidPackage;
        return;
    }
    const QString path = pathOf(frame.pictureFile);
    const bool withSound =
        !preview && !frame.soundFile.isEmpty() && WorkFolder::isBareFileName(frame.soundFile);
    if (!preview) {
        QStringList members{frame.pictureFile};
        if (withSound) {
            members << frame.soundFile;
        }
        const ExtractionCheck::Plan plan = ExtractionCheck::Check(package, members, folder);
        if (!plan.ok()) {
            picture.message = plan.message;
            picture.detail = plan.detail;
            return;
        }
        pictureOnDisk = true;
        if (!extractMember(package, folder, frame.pictureFile)) {
            picture.message = MovieMessage::InvalidPackage;
            removeExtracted();
            return;
        }
        // A sound missing from the package leaves the frame silent; the
        // editor saves such packages when a sound file has gone.
        if (withSound) {
            soundExtracted = extractMember(package, folder, frame.soundFile);
        }
    }
    QImage image(path);
    if (image.isNull()) {
        picture.message = MovieMessage::InvalidPackage;
        removeExtracted();
        return;
    }
    makeShowable(image);
    picture.image = std::move(image);
    if (!preview) {
        AFrameReel::DeleteFileQuietly(path);
        pictureOnDisk = false;
    }
}

FramePicture FrameLoader::LoadFramePicture(const MovieDoc& doc, const QString& workFolder,
                                           bool preview, int k) {
    Reading reading;
    reading.setUp(doc, workFolder, preview, k);
    reading.run();
    return std::move(reading.picture);
}
