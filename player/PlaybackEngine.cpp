#include "PlaybackEngine.h"

#include "common/ProgramEnd.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

PlaybackEngine::PlaybackEngine(const MovieDoc& doc, QString workFolder, bool preview,
                               Screen& screen, Sound& sound, TimerSource& timers)
    : doc_(doc),
      workFolder_(std::move(workFolder)),
      preview_(preview),
      screen_(screen),
      sound_(sound),
      frameTimer_(timers.createTimer(QStringLiteral("tmrMain"), [this] { tmrMain_Timer(); })),
      countdownTimer_(
          timers.createTimer(QStringLiteral("tmrLoopWait"), [this] { countdownTick(); })) {}

PlaybackEngine::~PlaybackEngine() {
    *alive_ = false;
}

QString PlaybackEngine::FormatMinSec(int s) {
    const int minutes = s / 60;
    const int rest = s % 60;
    QString text;
    if (minutes >= 1) {
        text = QString::number(minutes) + QStringLiteral("分");
    }
    return text + QString::number(rest) + QStringLiteral("秒");
}

QString PlaybackEngine::LoopWaitText(int seconds) {
    return QStringLiteral("再生開始まであと ") + FormatMinSec(seconds) +
           QStringLiteral(" お待ち下さい...");
}

QString PlaybackEngine::FrameCounterText(int n, int frameCount) {
    return QStringLiteral("%1/%2").arg(n, 3, 10, QChar(u'0')).arg(frameCount, 3, 10, QChar(u'0'));
}

QString PlaybackEngine::FrameListEntry(int k, const QString& pictureFile) {
    return QStringLiteral("%1").arg(k, 3, 10, QChar(u'0')) + QStringLiteral("｜") +
           pictureFile.left(std::max<qsizetype>(0, pictureFile.size() - 4));
}

int PlaybackEngine::FrameInterval(int waitMs) {
    return std::max(0, waitMs) + 1;
}

QString PlaybackEngine::counterText() const {
    return FrameCounterText(current_, doc_.frameCount);
}

QString PlaybackEngine::countdownText() const {
    return inLoopWait_ ? LoopWaitText(secondsLeft_) : QString();
}

QStringList PlaybackEngine::listEntries() const {
    QStringList entries;
    if (listShown_) {
        for (int k = 1; k <= doc_.frameCount && doc_.hasSlot(k); ++k) {
            entries << FrameListEntry(k, frame(k).pictureFile);
        }
    }
    return entries;
}

const FrameEntry& PlaybackEngine::frame(int k) const {
    static const FrameEntry none;
    return doc_.hasSlot(k) ? doc_.frames[static_cast<size_t>(k)] : none;
}

bool PlaybackEngine::playsByItself() const {
    return doc_.advanceMode == 1 || doc_.advanceMode == 2;
}

bool PlaybackEngine::loopsAtEnd() const {
    return mode_ == Mode::Auto && playsByItself() && doc_.loopFlag == 1;
}

bool PlaybackEngine::start() {
    const bool automatic = playsByItself();
    mode_ = automatic ? Mode::Auto : Mode::Manual;
    current_ = 1;
    if (!ShowFrame(1)) {
        return false;
    }
    if (automatic) {
        startFrameTimer();
    }
    return true;
}

bool PlaybackEngine::ShowFrame(int n) {
    const std::shared_ptr<bool> alive = alive_;
    if (!screen_.showPicture(n)) {
        if (*alive) {
            finish(1, true);
        }
        return false;
    }
    sound_.stop();
    waitingForSound_ = false;

    // The sound of the frame that was on screen has been used; a frame that
    // names the same file again keeps it, as it was just extracted for it.
    const FrameEntry& shown = frame(n);
    if (!preview_ && !shownSound_.isEmpty() && shownSound_ != shown.soundFile &&
        WorkFolder::isBareFileName(shownSound_)) {
        AFrameReel::DeleteFileQuietly(QDir(workFolder_).filePath(shownSound_));
    }
    shownSound_ = shown.soundFile;

    if (!shown.soundFile.trimmed().isEmpty() && WorkFolder::isBareFileName(shown.soundFile)) {
        const QString path = QDir(workFolder_).filePath(shown.soundFile);
        if (QFileInfo(path).isFile() && sound_.play(path) && doc_.advanceMode == 2) {
            waitingForSound_ = true;
        }
    }
    screen_.refresh();
    screen_.expectFrame(likelyNext());
    return true;
}

int PlaybackEngine::likelyNext() const {
    if (current_ < doc_.frameCount) {
        return current_ + 1;
    }
    return loopsAtEnd() ? 1 : 0;
}

void PlaybackEngine::AdvanceFrame() {
    if (current_ < doc_.frameCount) {
        ++current_;
        ShowFrame(current_);
        return;
    }
    if (loopsAtEnd()) {
        startCountdown();
        return;
    }
    finish(0, true);
}

void PlaybackEngine::startFrameTimer() {
    frameTimer_->start(FrameInterval(frame(current_).waitMs));
}

void PlaybackEngine::tmrMain_Timer() {
    // Held by its sound: the timer runs on and the next tick looks again.
    if (waitingForSound_) {
        return;
    }
    frameTimer_->stop();
    const std::shared_ptr<bool> alive = alive_;
    AdvanceFrame();
    if (*alive && !over_ && !inLoopWait_ && mode_ == Mode::Auto) {
        startFrameTimer();
    }
}

// The countdown before a loop: its text, then once a second the seconds
// left, and frame 1 when they reach 0.
void PlaybackEngine::startCountdown() {
    inLoopWait_ = true;
    secondsLeft_ = doc_.loopWaitSeconds;
    screen_.refresh();
    if (secondsLeft_ > 0) {
        countdownTimer_->start(1000);
    } else {
        finishCountdown();
    }
}

void PlaybackEngine::countdownTick() {
    --secondsLeft_;
    screen_.refresh();
    if (secondsLeft_ <= 0) {
        finishCountdown();
    }
}

void PlaybackEngine::finishCountdown() {
    stopCountdown();
    current_ = 1;
    const std::shared_ptr<bool> alive = alive_;
    if (ShowFrame(1) && *alive && !over_ && mode_ == Mode::Auto) {
        startFrameTimer();
    }
}

void PlaybackEngine::stopCountdown() {
    countdownTimer_->stop();
    inLoopWait_ = false;
}

void PlaybackEngine::goOn() {
    if (!over_ && !listShown_ && mode_ == Mode::Manual) {
        AdvanceFrame();
    }
}

void PlaybackEngine::autoClicked() {
    if (over_) {
        return;
    }
    mode_ = Mode::Manual;
    frameTimer_->stop();
    // Stopped on the last frame, which stays on screen.
    stopCountdown();
    screen_.refresh();
    screen_.expectFrame(likelyNext());
}

void PlaybackEngine::endClicked() {
    finish(0, true);
}

void PlaybackEngine::windowClosed() {
    finish(0, false);
}

void PlaybackEngine::counterClicked() {
    if (over_ || mode_ != Mode::Manual || listShown_) {
        return;
    }
    frameTimer_->stop();
    listShown_ = true;
    screen_.refresh();
}

void PlaybackEngine::listChosen(int entry) {
    if (over_ || !listShown_ || entry < 0 || entry >= doc_.frameCount) {
        return;
    }
    current_ = entry + 1;
    if (!ShowFrame(current_)) {
        return;
    }
    listShown_ = false;
    screen_.refresh();
}

void PlaybackEngine::soundPolled(bool stillPlaying) {
    if (!stillPlaying) {
        waitingForSound_ = false;
    }
}

void PlaybackEngine::finish(int exitCode, bool closeWindow) {
    if (over_) {
        return;
    }
    over_ = true;
    frameTimer_->stop();
    stopCountdown();
    listShown_ = false;
    sound_.stop();
    screen_.expectFrame(0);
    const bool endsProgram = !preview_;
    if (closeWindow) {
        screen_.closeWindow();
    }
    if (endsProgram) {
        ProgramEnd::endProgram(exitCode);
    }
}
