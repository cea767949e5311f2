// What the playback engine asks of the player window: pictures on screen,
// the texts and the list it shows, sounds, and closing.
#include "frmMovie.h"

#include "common/DevicePixels.h"
#include "common/MessageBox.h"
#include "player/MMidPlay.h"

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cmath>

bool frmMovie::showPicture(int n) {
    FramePicture picture = frames_.take(n);
    if (!picture.ok()) {
        const auto box = MovieMessages::of(picture.message, picture.detail);
        MessageBox::show(this, box.text, box.title, box.icon);
        return false;
    }
    // One picture pixel is one device pixel, at any scale of the screen.
    const qreal ratio = devicePixelRatioF();
    const auto inDevicePixels = [ratio](QSize logical) {
        return QSize(static_cast<int>(std::ceil(logical.width() * ratio)),
                     static_cast<int>(std::ceil(logical.height() * ratio)));
    };
    const QSize size = picture.image.size();
    QPixmap pixmap = QPixmap::fromImage(std::move(picture.image));
    pixmap.setDevicePixelRatio(ratio);
    Pic1->setPixmap(pixmap);
    // Never smaller than the three buttons stacked, so that End can be
    // reached whatever the picture's size.
    const QSize buttons = buttonStackSize();
    Pic1->resize(DevicePixels::CoveringSize(size, ratio).expandedTo(buttons));
    // A picture that covers every device pixel of the window is all that is
    // painted: nothing under it is filled first.
    Pic1->setAttribute(Qt::WA_OpaquePaintEvent, size == inDevicePixels(Pic1->size()));
    // Fixed, so that a tiling desktop floats it instead of stretching it.
    setFixedSize(Pic1->size());
    windowDeviceSize_ = size.expandedTo(inDevicePixels(buttons));
    DevicePixels::FitWindow(this, windowDeviceSize_);
    ArrangeControls();
    pictureShown_ = n;
    return true;
}

void frmMovie::expectFrame(int n) {
    expectedFrame_ = n;
    if (n == 0) {
        frames_.prepare(0);
        return;
    }
    // Once the frame on screen is painted: reading the next one takes the
    // processor for tens of milliseconds.
    QMetaObject::invokeMethod(
        this, [this] { frames_.prepare(expectedFrame_); }, Qt::QueuedConnection);
}

void frmMovie::refresh() {
    const bool automatic = engine_->mode() == PlaybackEngine::Mode::Auto;
    cmdAuto->setText(automatic ? QStringLiteral("Auto") : QStringLiteral("Manual"));
    cmdNo->setEnabled(!automatic);
    cmdNo->setText(engine_->counterText());

    const QString countdown = engine_->countdownText();
    if (countdown.isEmpty()) {
        lblLoopWait->hide();
    } else {
        lblLoopWait->setText(countdown);
        lblLoopWait->adjustSize();
        lblLoopWait->show();
        lblLoopWait->raise();
    }

    if (engine_->listShown() && lstDat->isHidden()) {
        lstDat->clear();
        lstDat->addItems(engine_->listEntries());
        lstDat->show();
        lstDat->raise();
    } else if (!engine_->listShown() && !lstDat->isHidden()) {
        lstDat->hide();
        lstDat->clear();
    }

    if (pictureShown_ != 0) {
        const int shown = pictureShown_;
        pictureShown_ = 0;
        emit frameShown(shown);
    }
}

void frmMovie::closeWindow() {
    close();
}

bool frmMovie::play(const QString& path) {
    return MMidPlay::PlaySound(path, *tmrMidPlay);
}

void frmMovie::stop() {
    MMidPlay::StopSound(*tmrMidPlay);
}

void frmMovie::tmrMidPlay_Timer() {
    engine_->soundPolled(MMidPlay::PollSound(*tmrMidPlay));
}

void frmMovie::Pic1_DblClick() {
    engine_->goOn();
}

void frmMovie::cmdAuto_Click() {
    engine_->autoClicked();
}

void frmMovie::cmdEnd_Click() {
    engine_->endClicked();
}

void frmMovie::cmdNo_Click() {
    engine_->counterClicked();
}

void frmMovie::lstDat_DblClick() {
    const int row = lstDat->currentRow();
    if (row < 0 || lstDat->currentItem() == nullptr || !lstDat->currentItem()->isSelected()) {
        return;
    }
    engine_->listChosen(row);
}
