// The rows' sound buttons: play a frame's sound, stop it, and the play
// icons back once it has ended.
#include "frmMaker.h"

#include "editor/frames/EditorIcons.h"
#include "editor/frames/FrameRows.h"
#include "moviefile/WorkFolder.h"
#include "player/MMidPlay.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

void frmMaker::connectSoundButtons() {
    for (int r = 0; r < FrameRows::kRows; ++r) {
        connect(rows_->cmdSound[r], &QToolButton::clicked, this, [this, r] { cmdSound_Click(r); });
    }
    connect(tmrMidPlay, &QTimer::timeout, this, &frmMaker::tmrMidPlay_Timer);
}

void frmMaker::setSoundIcons(bool playing) {
    const QPixmap icon = playing ? EditorIcons::soundStop() : EditorIcons::soundPlay();
    for (QToolButton* button : rows_->cmdSound) {
        button->setIcon(icon);
    }
}

void frmMaker::cmdSound_Click(int index) {
    if (MMidPlay::PollSound(*tmrMidPlay)) {
        // The timer's next tick finds the sound gone and gives the icons back.
        stopSound();
        return;
    }
    // A sound that ended just before this click was seen here, not by the
    // timer, which the poll has now stopped: its icons come back here.
    setSoundIcons(false);
    const QString name = rows_->txtSound[index]->text();
    if (name.trimmed().isEmpty() || !WorkFolder::isBareFileName(name)) {
        return;
    }
    const QString path = workFolder() + u'/' + name;
    if (!QFileInfo(path).isFile()) {
        return;
    }
    setSoundIcons(true);
    stopSound();
    if (!MMidPlay::PlaySound(path, *tmrMidPlay)) {
        // No timer runs to put the play icons back, so they come back now.
        setSoundIcons(false);
        return;
    }
    rows_->cmdSound[index]->setIcon(EditorIcons::soundStop());
}

void frmMaker::tmrMidPlay_Timer() {
    if (!MMidPlay::PollSound(*tmrMidPlay)) {
        setSoundIcons(false);
    }
}
