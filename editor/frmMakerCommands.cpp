// The editor's other commands: preview, capture, options, the save
// folder, help and the about box.
#include "frmMaker.h"

#include "capture/window/frmCopy.h"
#include "common/HelpFile.h"
#include "common/MTSK_KIDOU.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "editor/frames/FrameRows.h"
#include "moviefile/MovieDoc.h"
#include "player/frmMovie.h"
#include "settings/AppSettings.h"
#include "system/frmOption.h"
#include "system/frmVersion.h"

void frmMaker::mnuOpenHozon_Click() {
    MTSK_KIDOU::TaskLaunch(this, settings_.saveFolder);
}

void frmMaker::mnuCopy_Click() {
    // Opening the capture window counts as a change, recorded or not.
    state_.modified = true;
    stopSound();
    bool saved = false;
    hide();
    {
        frmCopy capture(doc_, settings_, workFiles_, pos() * Twips::kPerPixel, this);
        connect(&capture, &frmCopy::pictureSaved, this,
                [this, &saved](int frame, const QString& name) {
                    doc_.setFramePicture(frame, name);
                    saved = true;
                });
        capture.Form_Load();
        capture.runModal();
    }
    show();
    if (saved) {
        rows_->DrawFrameRows(1);
    }
}

void frmMaker::mnuPreview_Click() {
    stopSound();
    const int frameCount = storedFrameCount();
    if (frameCount < 1) {
        return;
    }
    doc_.frameCount = frameCount;
    frmMovie::RunPreview(this, doc_, workFolder());
    doc_.frameCount = MovieDoc::kEditorSlots;
}

void frmMaker::mnuOption_Click() {
    frmOption options(settings_, workFiles_, this);
    options.exec();
}

void frmMaker::mnuHelp_Click() {
    const QString path = HelpFile::HelpFilePath();
    if (path.isEmpty()) {
        MessageBox::show(this, HelpFile::kNoHelpText, HelpFile::kNoHelpTitle,
                         MessageBox::Icon::Exclamation);
        return;
    }
    MTSK_KIDOU::TaskLaunch(this, path);
}

void frmMaker::mnuVer_Click() {
    frmVersion about(this);
    about.exec();
}
