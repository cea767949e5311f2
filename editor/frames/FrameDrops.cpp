// Pictures and sounds dropped from a file manager onto the frame rows.
#include "FrameRows.h"

#include "archiver/ReplaceByRename.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/PictureImport.h"
#include "moviefile/FrameFiles.h"
#include "moviefile/MDROP_GET.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"
#include "moviefile/WorkFolderSession.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryFile>
#include <QUrl>

#include <memory>
#include <optional>

namespace {

enum class DropTarget { Picture, Sound };

// What a file manager drags: local files as a text/uri-list.
bool offersFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) {
        return false;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return true;
        }
    }
    return false;
}

bool acceptsEnding(DropTarget target, const QString& path) {
    if (target == DropTarget::Picture) {
        return PictureImport::IsPictureName(path);
    }
    const QString ending = path.right(4).toUpper();
    return ending == QStringLiteral(".WAV") || ending == QStringLiteral(".MID");
}

// A complete copy of `source` in the work folder's scratch folder, or
// nothing when the file cannot be read or the folder cannot take it: a
// failed copy must not cost the frame its old file.
std::unique_ptr<QTemporaryFile> copyIntoWorkFolder(const QString& source,
                                                   WorkFolderSession& files) {
    const QString scratch = files.scratchFolder();
    if (scratch.isEmpty()) {
        return nullptr;
    }
    auto copy = std::make_unique<QTemporaryFile>(scratch + QStringLiteral("/dropped-XXXXXX"));
    if (!copy->open()) {
        return nullptr;
    }
    copy->close();
    if (!ReplaceByRename::CopyFile(QFile::encodeName(source).toStdString(),
                                   QFile::encodeName(copy->fileName()).toStdString())) {
        return nullptr;
    }
    return copy;
}

// Puts the finished copy in place under `name`. It replaces only the
// frame's own file of that name, at once; never a file of the user's.
bool moveIntoPlace(QTemporaryFile& copy, const QString& name, WorkFolderSession& files) {
    if (!files.adopt(copy.fileName(), name, true)) {
        return false;
    }
    copy.setAutoRemove(false);
    return true;
}

// The name a dropped file takes in the work folder for frame k: its own
// name, unless another frame or another file already has it.
QString nameForFrame(const MovieDoc& doc, const QString& folder, int k, const QString& wanted,
                     const QString& current) {
    if (wanted == current && !doc.namesFile(wanted, k)) {
        return wanted;
    }
    return FrameFiles::UnusedName(doc, folder, wanted);
}

// Copies a dropped file into the work folder for frame k in place of its
// file `old`, which goes unless another frame still names it. The name the
// copy took, or nothing when the file was not taken (then nothing changed).
std::optional<QString> takeDroppedFile(MovieDoc& doc, int k, const QString& path,
                                       const QString& old, DropTarget target,
                                       WorkFolderSession& files) {
    const auto copy = copyIntoWorkFolder(path, files);
    // A picture the editor could not show would be a frame the player
    // cannot play: refused before anything changes. A PNG or JPEG comes in
    // as a BMP named after it.
    if (!copy || (target == DropTarget::Picture && !PictureImport::MakeBmp(copy->fileName()))) {
        return std::nullopt;
    }
    QString wanted = QFileInfo(path).fileName();
    if (target == DropTarget::Picture) {
        wanted = PictureImport::BmpName(wanted);
    }
    const QString name = nameForFrame(doc, files.folder(), k, wanted, old);
    if (!moveIntoPlace(*copy, name, files)) {
        return std::nullopt;
    }
    if (!old.isEmpty() && old != name) {
        FrameFiles::ReleaseFile(doc, old, k, files);
    }
    return name;
}

// The files of a drop that a row's box accepts, resolved and existing, in
// the order of the list.
QStringList acceptedFiles(const QMimeData* data, DropTarget target) {
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            continue;
        }
        const MDROP_GET::DroppedPath dropped = MDROP_GET::GetDroppedFilePath(url.toLocalFile());
        if (dropped.code < 1 || !acceptsEnding(target, dropped.path)) {
            continue;
        }
        // A shortcut's Windows target cannot exist here, and a folder or
        // device with a picture's ending is no file to copy.
        const QFileInfo info(dropped.path);
        if (!info.isFile() || !WorkFolder::isBareFileName(info.fileName())) {
            continue;
        }
        files.append(dropped.path);
    }
    return files;
}

void dragOver(QDragMoveEvent* event, bool busy) {
    if (busy) {
        event->acceptProposedAction();
        return;
    }
    if (offersFiles(event->mimeData()) && (event->possibleActions() & Qt::CopyAction)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return;
    }
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}

}  // namespace

void FrameRows::enableDrops() {
    for (int r = 0; r < kRows; ++r) {
        picDat[r]->setAcceptDrops(true);
        picDat[r]->installEventFilter(this);
        txtSound[r]->setAcceptDrops(true);
        txtSound[r]->installEventFilter(this);
    }
}

bool FrameRows::routeDropEvent(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    for (int r = 0; r < kRows; ++r) {
        const bool picture = watched == picDat[r];
        if (!picture && watched != txtSound[r]) {
            continue;
        }
        if (type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            const bool taken = picture ? picDat_OLEDragDrop(r, drop->mimeData())
                                       : txtSound_OLEDragDrop(r, drop->mimeData());
            if (taken) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
            } else {
                drop->ignore();
            }
        } else {
            auto* move = static_cast<QDragMoveEvent*>(event);
            picture ? picDat_OLEDragOver(r, move) : txtSound_OLEDragOver(r, move);
        }
        return true;
    }
    return false;
}

void FrameRows::picDat_OLEDragOver(int index, QDragMoveEvent* event) {
    (void)index;
    dragOver(event, isBusy && isBusy());
}

void FrameRows::txtSound_OLEDragOver(int index, QDragMoveEvent* event) {
    (void)index;
    dragOver(event, isBusy && isBusy());
}

bool FrameRows::picDat_OLEDragDrop(int index, const QMimeData* data) {
    const int k = frameOf(index);
    MovieDoc& doc = doc_;
    if ((isBusy && isBusy()) || !offersFiles(data) || !doc.hasSlot(k)) {
        return false;
    }
    bool taken = false;
    for (const QString& path : acceptedFiles(data, DropTarget::Picture)) {
        FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        const auto name =
            takeDroppedFile(doc, k, path, frame.pictureFile, DropTarget::Picture, files_);
        if (!name) {
            continue;
        }
        setModified();
        doc.setFramePicture(k, *name);
        showThumbnail(index, k);
        taken = true;
    }
    return taken;
}

bool FrameRows::txtSound_OLEDragDrop(int index, const QMimeData* data) {
    const int k = frameOf(index);
    MovieDoc& doc = doc_;
    if ((isBusy && isBusy()) || !offersFiles(data) || !doc.hasSlot(k)) {
        return false;
    }
    bool taken = false;
    for (const QString& path : acceptedFiles(data, DropTarget::Sound)) {
        FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        const auto name = takeDroppedFile(doc, k, path, frame.soundFile, DropTarget::Sound, files_);
        if (!name) {
            continue;
        }
        setModified();
        frame.soundFile = *name;
        txtSound[index]->setText(*name);
        taken = true;
    }
    return taken;
}
