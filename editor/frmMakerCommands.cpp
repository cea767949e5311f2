// The editor's other commands: preview, capture, options, the save
// folder, help and the about box.
#include "common/Twips.h"
#include "frmMaker.h"

#include "capture/window/CaptureHandoff.h"
#include "capture/window/frmCopy.h"
#include "common/HelpFile.h"
#include "common/MessageBox.h"
#include "common/TaskLaunch.h"
#include "editor/frames/FrameRows.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/MovieScript.h"
#include "moviefile/PreviewMode.h"
#include "moviefile/WorkFolder.h"
#include "player/MMidPlay.h"
#include "player/frmMovie.h"
#include "settings/AppSettings.h"
#include "system/frmOption.h"
#include "system/frmVersion.h"

namespace {}  // namespace

void frmMaker::mnuOpenHozon_Click() {
    MTSK_KIDOU::TaskLaunch(this, appSettings().saveFolder);
}

void frmMaker::mnuCopy_Click() {
    // Opening the capture window counts as a change, recorded or not.
    state_.modified = true;
    stopSound();
    capturePosition.top = y() * Twips::kPerPixel;
    capturePosition.left = x() * Twips::kPerPixel;
    captureSaved = false;
    hide();
    {
        frmCopy capture(workFiles_, this);
        capture.Form_Load();
        capture.runModal();
    }
    show();
    if (captureSaved) {
        rows_->DrawFrameRows(1);
    }
}

void frmMaker::mnuPreview_Click() {
    stopSound();
    rows_->StorePageFields();
    const MovieScript::FrameSequence sequence = MovieScript::CheckFrameSequence();
    if (sequence.count < 1) {
        showMovieMessage(sequence.message);
        return;
    }
    movieDoc().frameCount = sequence.count;
    previewMode = true;
    frmMovie::RunPreview(this, movieDoc(), WorkFolder::path());
    movieDoc().frameCount = MovieDoc::kEditorSlots;
    previewMode = false;
}

void frmMaker::mnuOption_Click() {
    frmOption options(workFiles_, this);
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
