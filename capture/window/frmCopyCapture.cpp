// The timed capture: out of the way, copy, reduce, save, enter the frame,
// back in place, and on again in continuous mode.
#include "common/Twips.h"
#include "frmCopy.h"

#include "capture/MH_COPY.h"
#include "capture/window/CaptureFiles.h"
#include "capture/window/CaptureHandoff.h"
#include "common/MessageBox.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"
#include "moviefile/WorkFolderSession.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QThread>
#include <QTimer>

namespace {

// -10000 twips: well beyond the top-left corner of any screen.
constexpr int kOffScreen = -10000 / Twips::kPerPixel;
// Long enough for the window manager to move the window and for the windows
// below to repaint where it was.
constexpr int kRepaintPauseMs = 200;

// Lets the window system catch up without taking clicks or keys meanwhile,
// so nothing can start, pause or close the window halfway through a copy.
void letWindowsRepaint(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QDeadlineTimer pause(milliseconds);
    while (!pause.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(5);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

void frmCopy::tmrSleep_Timer() {
    tmrSleep->stop();
    if (capturing_) {
        return;
    }
    capturing_ = true;
    capturePosition.top = y() * Twips::kPerPixel;
    capturePosition.left = x() * Twips::kPerPixel;
    move(kOffScreen, kOffScreen);
    letWindowsRepaint(kRepaintPauseMs);

    if (chkAct->isChecked()) {
        MH_COPY::CopyForegroundToBox(picCopy);
    } else {
        MH_COPY::CopyDesktopToBox(picCopy);
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
    MovieDoc& doc = movieDoc();
    const QString folder = WorkFolder::path();
    const std::optional<QString> name = CaptureFiles::FirstFreeName(folder, doc);
    bool saved = false;
    QString path;
    if (name && nextFrameNo <= MovieDoc::kEditorSlots && doc.hasSlot(nextFrameNo)) {
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
        FrameEntry& frame = doc.frames[static_cast<size_t>(nextFrameNo)];
        frame.pictureFile = *name;
        frame.inUse = true;
        ++nextFrameNo;
        showNextFrameNo();
        captureSaved = true;
    }
    // Back in place first, so the message shows on the screen beside it.
    moveToPosition();
    if (!saved) {
        MessageBox::show(this, CopyTexts::kSaveFailed + path, CopyTexts::kSaveFailedTitle,
                         MessageBox::Icon::Critical);
    }
}
