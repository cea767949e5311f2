#include "MovieDoc.h"

#include <QFileInfo>

#include <algorithm>

void MovieDoc::resetFrames(int lastSlot) {
    frames.assign(static_cast<size_t>(lastSlot < 0 ? 0 : lastSlot) + 1, FrameEntry{});
}

void MovieDoc::beginEditorMovie() {
    frameCount = kEditorSlots;
    resetFrames(kEditorSlots);
    loopWaitSeconds = 10;
    loopFlag = 0;
    advanceMode = 0;
}

QString MovieDoc::dialogFolder() const {
    QString folder = packageFolder;
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    return folder;
}

bool MovieDoc::setPackagePath(const QString& path) {
    const QString package = QString(path).remove(u'"');
    const QFileInfo info(package);
    if (package.isEmpty() || !info.isFile()) {
        return false;
    }
    // Absolute, so that a dialog changing the current folder cannot move it.
    packagePath = info.absoluteFilePath();
    packageFolder = packagePath.left(packagePath.lastIndexOf(u'/') + 1);
    return true;
}

void MovieDoc::clearPackage(const QString& folder) {
    packagePath.clear();
    packageFolder = folder + u'/';
}

MovieDoc::InsertResult MovieDoc::insertFrame(int k) {
    if (!hasSlot(k)) {
        return InsertResult::NoSuchSlot;
    }
    const int last = lastSlot();
    if (!frames[static_cast<size_t>(last)].pictureFile.isEmpty()) {
        return InsertResult::TableFull;
    }
    std::move_backward(frames.begin() + k, frames.begin() + last, frames.begin() + last + 1);
    frames[static_cast<size_t>(k)] = FrameEntry();
    return InsertResult::Inserted;
}

std::optional<FrameEntry> MovieDoc::removeFrame(int k) {
    if (!hasSlot(k)) {
        return std::nullopt;
    }
    FrameEntry removed = std::move(frames[static_cast<size_t>(k)]);
    std::move(frames.begin() + k + 1, frames.end(), frames.begin() + k);
    frames.back() = FrameEntry();
    return removed;
}

void MovieDoc::setFramePicture(int k, const QString& name) {
    if (!hasSlot(k)) {
        return;
    }
    FrameEntry& frame = frames[static_cast<size_t>(k)];
    frame.pictureFile = name;
    frame.inUse = true;
}

int MovieDoc::highestFrameInUse() const {
    for (int k = std::min(lastSlot(), kEditorSlots); k >= 1; --k) {
        if (frames[static_cast<size_t>(k)].inUse) {
            return k;
        }
    }
    return 0;
}

bool MovieDoc::namesFile(const QString& name, int exceptSlot) const {
    if (name.isEmpty()) {
        return false;
    }
    for (int k = 1; k <= lastSlot(); ++k) {
        const FrameEntry& frame = frames[static_cast<size_t>(k)];
        if (k != exceptSlot && (frame.pictureFile == name || frame.soundFile == name)) {
            return true;
        }
    }
    return false;
}

FrameSequence MovieDoc::CheckFrameSequence() const {
    const int last = std::min(lastSlot(), kEditorSlots);
    int m = 0;
    while (m < last && frames[static_cast<size_t>(m + 1)].inUse) {
        ++m;
    }
    for (int k = m + 1; k <= last; ++k) {
        if (frames[static_cast<size_t>(k)].inUse) {
            return {-1, MovieMessage::GapInFrames};
        }
    }
    if (m == 0) {
        return {0, MovieMessage::NoFrames};
    }
    return {m, MovieMessage::None};
}
