// The timed capture: out of the picture, copy, reduce, save, report the
// frame, back in place, and on again in continuous mode.
#include "frmCopy.h"

#include "capture/MH_COPY.h"
#include "capture/window/CaptureFiles.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolderSession.h"

#include <QCheckBox>
#include <QFile>
#include <QTimer>
#include <QWindow>

namespace {

// The message for a copy the desktop's screenshot service could not make;
// empty for other failures, which the failed save reports.
QString PortalMessage(GrabFailure failure) {
    switch (failure) {
        case GrabFailure::PortalMissing:
            return CopyTexts::kPortalMissing;
        case GrabFailure::Refused:
            return CopyTexts::kPortalRefused;
        case GrabFailure::NoAnswer:
            return CopyTexts::kPortalNoAnswer;
        case GrabFailure::PortalError:
            return CopyTexts::kPortalError;
        case GrabFailure::None:
        case GrabFailure::NoScreen:
            break;
    }
    return QString();
}

}  // namespace

void frmCopy::tmrSleep_Timer() {
    tmrSleep->stop();
    if (capturing_) {
        return;
    }
    capturing_ = true;
    // The window system's own idea of where the frame is: the toolkit's copy
    // of the frame's size can still be missing right after the window showed.
    const QPoint frame = windowHandle() != nullptr ? windowHandle()->framePosition() : pos();
    place_ = frame * Twips::kPerPixel;
    stepAside();

    const GrabFailure failure = chkAct->isChecked() ? MH_COPY::CopyForegroundToBox(picCopy)
                                                    : MH_COPY::CopyDesktopToBox(picCopy);
    if (const QString message = PortalMessage(failure); !message.isEmpty()) {
        // No frame from a failed copy, and no further tries of a service
        // that has just failed: the window is ready for another go.
        comeBack();
        capturing_ = false;
        MessageBox::show(this, message, CopyTexts::kStoppedTitle, MessageBox::Icon::Exclamation);
        if (!unloaded_) {
            setInputsEnabled(true);
        }
        return;
    }
    captureAndSave();
    capturing_ = false;
    if (unloaded_) {
        return;
    }

    if (delaySeconds() > 2 && chkCopy->isChecked()) {
        if (nextFrameNo <= MovieDoc::kEditorSlots) {
            armTimer();
            return;
        }
        MessageBox::show(this, CopyTexts::kTableFull, CopyTexts::kStoppedTitle,
                         MessageBox::Icon::Exclamation);
        close();
        return;
    }
    setInputsEnabled(true);
}

void frmCopy::captureAndSave() {
    const QString folder = files_.folder();
    const std::optional<QString> name = CaptureFiles::FirstFreeName(folder, doc_);
    bool saved = false;
    QString path;
    if (name && nextFrameNo <= MovieDoc::kEditorSlots && doc_.hasSlot(nextFrameNo)) {
        path = folder + QLatin1Char('/') + *name;
        // Written in the editor's scratch folder first, then put in place
        // under its name as a file of the program's own.
        const QString scratch = files_.scratchFolder();
        const QString written = scratch + QLatin1Char('/') + *name;
        saved = !scratch.isEmpty() && CaptureFiles::SaveCapture(picCopy, colourOption(), written) &&
                files_.adopt(written, *name);
        if (!saved && !scratch.isEmpty()) {
            QFile::remove(written);
        }
    } else {
        // Every name is taken: tell it as a failed save of the last one,
        // rather than lose the capture without a word.
        path = folder + QLatin1Char('/') + CaptureFiles::CaptureFileName(CaptureFiles::kLastNumber);
    }
    picCopy = QImage();

    if (saved) {
        emit pictureSaved(nextFrameNo, *name);
        ++nextFrameNo;
        showNextFrameNo();
    }
    // Back in place first, so the message shows on the screen beside it.
    comeBack();
    if (!saved) {
        MessageBox::show(this, CopyTexts::kSaveFailed + path, CopyTexts::kSaveFailedTitle,
                         MessageBox::Icon::Critical);
    }
}
