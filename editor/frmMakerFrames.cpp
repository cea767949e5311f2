// The row menu's frame commands: insert, delete and external edit.
#include "frmMaker.h"

#include "common/MTSK_DOUKI.h"
#include "common/MTSK_Path.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/PictureImport.h"
#include "editor/frames/ThumbnailCache.h"
#include "moviefile/FrameFiles.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

void frmMaker::connectFrameCommands() {
    // The edit waits for the picture editor: the row menu has gone first.
    connect(mnuBmpEdit, &QAction::triggered, this, &frmMaker::mnuBmpEdit_Click,
            Qt::QueuedConnection);
    connect(mnuBmpAdd, &QAction::triggered, this, &frmMaker::mnuBmpAdd_Click);
    connect(mnuBmpDel, &QAction::triggered, this, &frmMaker::mnuBmpDel_Click);
}

int frmMaker::selectedFrame() const {
    return state_.pageBase + state_.selectedRow + 1;
}

void frmMaker::SetEditControlsEnabled(bool enabled) {
    for (QToolButton* button : {cmdNew, cmdFOpen, cmdFUwaSave, cmdFBetuSave, cmdCopy, cmdPreview,
                                cmdOption, cmdOpenHozon}) {
        button->setEnabled(enabled);
    }
    rows_->cmdNext->setEnabled(enabled);
    rows_->cmdBack->setEnabled(enabled);
    for (QMenu* menu : {mnuFMain, mnuPMain, mnuSMain, mnuHMain}) {
        menu->menuAction()->setEnabled(enabled);
        // Their keys too, which a disabled menu title does not stop.
        for (QAction* item : menu->actions()) {
            item->setEnabled(enabled);
        }
    }
    for (QRadioButton* option : rows_->optJidou) {
        option->setEnabled(enabled);
    }
    for (int r = 0; r < FrameRows::kRows; ++r) {
        rows_->txtWait[r]->setEnabled(enabled);
        rows_->cmdSound[r]->setEnabled(enabled);
    }
}

void frmMaker::mnuBmpAdd_Click() {
    stopSound();
    // Whatever the last slot held without a picture (a sound, a wait) gives
    // way; its file stays in the work folder.
    switch (doc_.insertFrame(selectedFrame())) {
        case MovieDoc::InsertResult::NoSuchSlot:
            return;
        case MovieDoc::InsertResult::TableFull:
            MessageBox::show(this, QStringLiteral("既に１００件あるみたいなので挿入できません"),
                             QStringLiteral("挿入中止"), MessageBox::Icon::Information);
            return;
        case MovieDoc::InsertResult::Inserted:
            break;
    }
    rows_->DrawFrameRows(state_.selectedRow + 1);
    state_.modified = true;
}

void frmMaker::mnuBmpDel_Click() {
    stopSound();
    const std::optional<FrameEntry> removed = doc_.removeFrame(selectedFrame());
    if (!removed) {
        return;
    }
    // A file another frame still names stays: deleting this frame must not
    // take that frame's picture or sound with it.
    FrameFiles::ReleaseFile(doc_, removed->pictureFile, 0, workFiles_);
    FrameFiles::ReleaseFile(doc_, removed->soundFile, 0, workFiles_);
    rows_->DrawFrameRows(state_.selectedRow + 1);
    state_.modified = true;
}

void frmMaker::mnuBmpEdit_Click() {
    const int k = selectedFrame();
    const int row = state_.selectedRow;
    const MovieDoc& doc = doc_;
    if (!doc.hasSlot(k) || !WorkFolder::isBareFileName(doc.frames[k].pictureFile)) {
        return;
    }
    const QString path = workFolder() + u'/' + doc.frames[k].pictureFile;
    const QStringList program = MTSK_Path::FindAssociatedProgram(path);
    if (program.isEmpty()) {
        return;
    }

    SetEditControlsEnabled(false);
    PictureBox* box = rows_->picDat[row];
    box->clear();
    box->printText(QPoint(Twips::toPixels(850), Twips::toPixels(500)), QStringLiteral("編集中"));

    const QPointer<frmMaker> self(this);
    const QDateTime started = QDateTime::currentDateTime();
    MTSK_DOUKI::RunAndWait(program, workFolder());
    if (self.isNull()) {
        return;
    }
    // The program may have saved a PNG or JPEG instead: the frame keeps a BMP.
    PictureImport::TakeEditedPicture(path, started);

    // The picture changed on disk under the same name, maybe as a new file
    // the picture editor saved in its place: it is still the frame's own.
    // Other rows of the page that show the same file show the edit too.
    ThumbnailCache::shared().forget(path);
    const QString name = doc_.frames[k].pictureFile;
    workFiles_.reclaim(name);
    for (int r = 0; r < FrameRows::kRows; ++r) {
        const int n = rows_->frameOf(r);
        if (r == row ||
            (doc_.hasSlot(n) && doc_.frames[n].inUse && doc_.frames[n].pictureFile == name)) {
            rows_->showThumbnail(r, n);
        }
    }
    SetEditControlsEnabled(true);
    state_.modified = true;
}
