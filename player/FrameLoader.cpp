#include "FrameLoader.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"

#include <QDir>
#include <QFileInfo>

#include <malloc.h>
#include <atomic>
#include <mutex>
#include <system_error>

// What one frame's read needs and leaves, copied in on the calling thread
// so that a worker touches nothing shared but the files.
struct FrameLoader::Reading {
    QString package;
    QString folder;
    bool preview = false;
    bool inTable = false;
    FrameEntry frame;
    // The sound of the frame on screen: when the frame names it too, the
    // file in the work folder is already the one to play.
    QString soundInUse;

    std::atomic<bool> dropped{false};

    FramePicture picture;
    bool pictureOnDisk = false;
    bool soundExtracted = false;

    // Frame k of doc, read while frame `shown` is on screen (0: none).
    void setUp(const MovieDoc& doc, const QString& workFolder, bool previewing, int k, int shown) {
        package = doc.packagePath;
        folder = workFolder;
        preview = previewing;
        inTable = doc.hasSlot(k);
        if (inTable) {
            frame = doc.frames[static_cast<size_t>(k)];
        }
        if (doc.hasSlot(shown)) {
            soundInUse = doc.frames[static_cast<size_t>(shown)].soundFile;
        }
    }

    QString pathOf(const QString& name) const { return QDir(folder).filePath(name); }

    // Removes what this read extracted and has not used.
    void removeExtracted() {
        if (pictureOnDisk) {
            AFrameReel::DeleteFileQuietly(pathOf(frame.pictureFile));
            pictureOnDisk = false;
        }
        if (soundExtracted && frame.soundFile != soundInUse) {
            AFrameReel::DeleteFileQuietly(pathOf(frame.soundFile));
        }
        soundExtracted = false;
    }

    void run();
};

namespace {

// The archiver is given one command at a time, whichever thread asks.
std::mutex archiverInUse;

bool extractMember(const QString& package, const QString& folder, const QString& name) {
    const std::lock_guard lock(archiverInUse);
    return MLha::ExtractFromPackage(package, folder, u'"' + name + u'"') == 0;
}

// Converted here, off the screen's thread, to what a pixmap holds as it is.
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
        !preview && !frame.soundFile.isEmpty() && WorkFolder::isBareFileName(frame.soundFile) &&
        !(frame.soundFile == soundInUse && QFileInfo(pathOf(soundInUse)).isFile());
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
        if (dropped) {
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
        if (withSound && !dropped) {
            soundExtracted = extractMember(package, folder, frame.soundFile);
        }
        if (dropped) {
            return;
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

FrameLoader::FrameLoader(const MovieDoc& doc, QString workFolder, bool preview)
    : doc_(doc), workFolder_(std::move(workFolder)), preview_(preview) {
    // A frame decoded on a worker is freed on the screen's thread. glibc
    // would keep each freed frame in the worker's heap for reuse, a second
    // copy of the movie's largest picture for nothing: large buffers are
    // given back to the system at once instead.
    static std::once_flag returned;
    std::call_once(returned, [] { mallopt(M_MMAP_THRESHOLD, 1 << 20); });
}

FrameLoader::~FrameLoader() {
    drop();
}

FramePicture FrameLoader::LoadFramePicture(const MovieDoc& doc, const QString& workFolder,
                                           bool preview, int k) {
    Reading reading;
    reading.setUp(doc, workFolder, preview, k, 0);
    reading.run();
    return std::move(reading.picture);
}

void FrameLoader::prepare(int k) {
    if (ahead_ && aheadFrame_ == k) {
        return;
    }
    drop();
    if (k <= 0) {
        return;
    }
    auto reading = std::make_shared<Reading>();
    reading->setUp(doc_, workFolder_, preview_, k, shown_);
    try {
        worker_ = std::async(std::launch::async, [reading] {
            try {
                reading->run();
            } catch (...) {
                reading->picture = FramePicture{{}, MovieMessage::InvalidPackage, {}};
            }
        });
    } catch (const std::system_error&) {
        return;  // no thread to spare: the frame is read when its turn comes
    }
    ahead_ = std::move(reading);
    aheadFrame_ = k;
}

FramePicture FrameLoader::take(int k) {
    FramePicture picture;
    if (ahead_ && aheadFrame_ == k) {
        worker_.wait();
        picture = std::move(ahead_->picture);
        ahead_.reset();
        aheadFrame_ = 0;
    } else {
        drop();
        Reading reading;
        reading.setUp(doc_, workFolder_, preview_, k, shown_);
        reading.run();
        picture = std::move(reading.picture);
    }
    if (picture.ok()) {
        shown_ = k;
    }
    return picture;
}

void FrameLoader::drop() {
    if (!ahead_) {
        return;
    }
    ahead_->dropped = true;
    worker_.wait();
    ahead_->removeExtracted();
    ahead_.reset();
    aheadFrame_ = 0;
}
