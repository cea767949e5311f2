// The playback engine of the player window: showing frames, advancing by
// timer or double-click, holding for sounds, the loop countdown and the
// frame list.
#include "frmMovie.h"

#include "common/DevicePixels.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PreviewMode.h"
#include "moviefile/WorkFolder.h"
#include "player/FrameLoader.h"
#include "player/MMidPlay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

const FrameEntry& frameAt(int k) {
    return movieDoc().frames[static_cast<size_t>(k)];
}

}  // namespace

QString frmMovie::FormatMinSec(int s) {
    const int minutes = s / 60;
    const int rest = s % 60;
    QString text;
    if (minutes >= 1) {
        text = QString::number(minutes) + QStringLiteral("分");
    }
    return text + QString::number(rest) + QStringLiteral("秒");
}

QString frmMovie::LoopWaitText(int seconds) {
    return QStringLiteral("再生開始まであと ") + FormatMinSec(seconds) +
           QStringLiteral(" お待ち下さい...");
}

QString frmMovie::FrameCounterText(int n, int frameCount) {
    return QStringLiteral("%1/%2").arg(n, 3, 10, QChar(u'0')).arg(frameCount, 3, 10, QChar(u'0'));
}

QString frmMovie::FrameListEntry(int k, const QString& pictureFile) {
    return QStringLiteral("%1").arg(k, 3, 10, QChar(u'0')) + QStringLiteral("｜") +
           pictureFile.left(std::max<qsizetype>(0, pictureFile.size() - 4));
}

int frmMovie::FrameInterval(int waitMs) {
    return std::max(0, waitMs) + 1;
}

bool frmMovie::isAutoMode() const {
    return cmdAuto->text() == QStringLiteral("Auto");
}

bool frmMovie::ShowFrame(int n) {
    const FramePicture picture =
        FrameLoader::LoadFramePicture(movieDoc(), WorkFolder::path(), previewMode, n);
    if (!picture.ok()) {
        failWith(picture.message, picture.detail);
        return false;
    }
    // One picture pixel is one device pixel, at any scale of the screen.
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap = QPixmap::fromImage(picture.image);
    pixmap.setDevicePixelRatio(ratio);
    Pic1->setPixmap(pixmap);
    // Never smaller than the three buttons stacked, so that End can be
    // reached whatever the picture's size.
    const QSize buttons = buttonStackSize();
    Pic1->resize(DevicePixels::CoveringSize(picture.image.size(), ratio).expandedTo(buttons));
    // Fixed, so that a tiling desktop floats it instead of stretching it.
    setFixedSize(Pic1->size());
    windowDeviceSize_ = picture.image.size().expandedTo(
        QSize(static_cast<int>(std::ceil(buttons.width() * ratio)),
              static_cast<int>(std::ceil(buttons.height() * ratio))));
    DevicePixels::FitWindow(this, windowDeviceSize_);
    ArrangeControls();

    const MovieDoc& doc = movieDoc();
    cmdNo->setText(FrameCounterText(n, doc.frameCount));
    MMidPlay::StopSound(*tmrMidPlay);
    waitingForSound = false;

    // The sound of the frame that was on screen has been used; a frame that
    // names the same file again keeps it, as it was just extracted for it.
    const FrameEntry& frame = frameAt(n);
    if (!previewMode && !shownSoundFile_.isEmpty() && shownSoundFile_ != frame.soundFile &&
        WorkFolder::isBareFileName(shownSoundFile_)) {
        AFrameReel::DeleteFileQuietly(WorkFolder::filePath(shownSoundFile_));
    }
    shownSoundFile_ = frame.soundFile;

    if (!frame.soundFile.trimmed().isEmpty() && WorkFolder::isBareFileName(frame.soundFile)) {
        const QString path = WorkFolder::filePath(frame.soundFile);
        if (QFileInfo(path).isFile() && MMidPlay::PlaySound(path, *tmrMidPlay) &&
            doc.advanceMode == 2) {
            waitingForSound = true;
        }
    }
    emit frameShown(n);
    return true;
}

void frmMovie::AdvanceFrame() {
    const MovieDoc& doc = movieDoc();
    if (currentFrame < doc.frameCount) {
        ++currentFrame;
        ShowFrame(currentFrame);
        return;
    }
    if (isAutoMode() && (doc.advanceMode == 1 || doc.advanceMode == 2) && doc.loopFlag == 1) {
        runLoopCountdown();
        return;
    }
    if (previewMode) {
        playerClosed = true;
        close();
        return;
    }
    endProgram(0);
}

void frmMovie::runLoopCountdown() {
    QPointer<frmMovie> self(this);
    const int seconds = movieDoc().loopWaitSeconds;
    stopRequested = false;
    lblLoopWait->setText(LoopWaitText(seconds));
    lblLoopWait->adjustSize();
    lblLoopWait->show();
    lblLoopWait->raise();
    inLoopWait = true;
    QCoreApplication::processEvents();
    if (!self) {
        return;
    }
    for (int s = seconds - 1; s >= 0; --s) {
        if (!pauseWithEvents(1000)) {
            return;
        }
        if (stopRequested) {
            break;
        }
        lblLoopWait->setText(LoopWaitText(s));
        lblLoopWait->adjustSize();
        QCoreApplication::processEvents();
        if (!self) {
            return;
        }
    }
    lblLoopWait->hide();
    // Cleared before the next frame, so that a failing frame can close the
    // window at once.
    inLoopWait = false;
    if (!stopRequested) {
        currentFrame = 1;
        ShowFrame(1);
    }
}

bool frmMovie::pauseWithEvents(int milliseconds) {
    QPointer<frmMovie> self(this);
    QElapsedTimer clock;
    clock.start();
    // Short slices keep the window painting and the clicks coming; a stop
    // ends the pause at once rather than at the end of the second.
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!self) {
            return false;
        }
        if (stopRequested) {
            return true;
        }
        const qint64 left = milliseconds - clock.elapsed();
        if (left > 0) {
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
        }
    }
    return true;
}

void frmMovie::startFrameTimer() {
    tmrMain->setInterval(FrameInterval(frameAt(currentFrame).waitMs));
    tmrMain->start();
}

void frmMovie::tmrMain_Timer() {
    QPointer<frmMovie> self(this);
    stopRequested = false;
    if (!waitingForSound) {
        tmrMain->stop();
        AdvanceFrame();
        if (!self) {
            return;
        }
        if (!playerClosed && !stopRequested) {
            startFrameTimer();
        }
    }
    if (closeRequested) {
        closeRequested = false;
        close();
    }
}

void frmMovie::tmrMidPlay_Timer() {
    if (!MMidPlay::PollSound(*tmrMidPlay)) {
        waitingForSound = false;
    }
}

void frmMovie::Pic1_DblClick() {
    if (lstDat->isHidden() && !isAutoMode()) {
        AdvanceFrame();
    }
}

void frmMovie::cmdAuto_Click() {
    cmdAuto->setText(QStringLiteral("Manual"));
    tmrMain->stop();
    cmdNo->setEnabled(true);
    stopRequested = true;
}

void frmMovie::cmdEnd_Click() {
    stopRequested = true;
    if (inLoopWait) {
        closeRequested = true;
        return;
    }
    close();
}

void frmMovie::cmdNo_Click() {
    if (!lstDat->isHidden()) {
        return;
    }
    tmrMain->stop();
    lstDat->clear();
    const MovieDoc& doc = movieDoc();
    for (int k = 1; k <= doc.frameCount && doc.hasSlot(k); ++k) {
        lstDat->addItem(FrameListEntry(k, frameAt(k).pictureFile));
    }
    lstDat->show();
    lstDat->raise();
}

void frmMovie::lstDat_DblClick() {
    const int row = lstDat->currentRow();
    if (row < 0 || lstDat->currentItem() == nullptr || !lstDat->currentItem()->isSelected()) {
        return;
    }
    currentFrame = row + 1;
    if (!ShowFrame(currentFrame)) {
        return;
    }
    lstDat->hide();
    lstDat->clear();
}
