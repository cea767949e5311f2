// The timed capture: out of the picture, copy, reduce, save, enter the
// frame, back in place, and on again in continuous mode.
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
#include <QWindow>

namespace {

// After the window has gone, how long the desktop takes to show what was
// below it. A compositor has those pixels already; on plain X11 the
// programs below must repaint first.
constexpr int kComposedRepaintMs = 40;
constexpr int kX11RepaintMs = 100;
// The window system's own unmapping takes a moment as well.
constexpr int kUnmapLimitMs = 200;

// Lets the window system catch up without taking clicks or keys meanwhile,
// so nothing can start, pause or close the window halfway through a copy.
void letWindowsRun(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QDeadlineTimer pause(milliseconds);
    while (!pause.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

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
    capturePosition.top = frame.y() * Twips::kPerPixel;
    capturePosition.left = frame.x() * Twips::kPerPixel;
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

void frmCopy::stepAside() {
    // Hidden, not moved off the screen: window managers keep a corner of a
    // window on the screen, and a Wayland window cannot move at all.
    hide();
    QWindow* window = windowHandle();
    const QDeadlineTimer unmapped(kUnmapLimitMs);
    while (window != nullptr && window->isExposed() && !unmapped.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(1);
    }
    letWindowsRun(MH_COPY::Grabber().desktopComposites() ? kComposedRepaintMs : kX11RepaintMs);
}

void frmCopy::comeBack() {
    if (unloaded_) {
        return;
    }
    moveToPosition();
    // Shown again without activation, so the active window stays the user's.
    show();
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
    comeBack();
    if (!saved) {
        MessageBox::show(this, CopyTexts::kSaveFailed + path, CopyTexts::kSaveFailedTitle,
                         MessageBox::Icon::Critical);
    }
}
