#pragma once

#include "player/PlaybackClock.h"

#include <QString>
#include <QStringList>

#include <memory>

struct FrameEntry;
struct MovieDoc;

// The playback engine: walks a movie's frames, keeps each for its wait or
// until the viewer goes on, holds a frame until its sound has finished when
// the movie asks for that, counts down before a loop starts again, jumps to
// a frame chosen from the list, and ends the movie. It has no widgets: the
// player window shows what it says and forwards the viewer's clicks, keys
// and the sound poll to it.
class PlaybackEngine {
public:
    enum class Mode { Auto, Manual };

    // The window that shows the movie.
    class Screen {
    public:
        virtual ~Screen() = default;
        // Puts frame n's picture on screen. False when it cannot be shown,
        // once the viewer has been told why; the movie then ends.
        virtual bool showPicture(int n) = 0;
        // Frame n is the one to be shown next unless the viewer chooses
        // otherwise, 0 when there is none: it may be made ready meanwhile.
        virtual void expectFrame(int n) = 0;
        // The counter, the mode, the countdown or the list changed.
        virtual void refresh() = 0;
        // The movie is over: the window goes.
        virtual void closeWindow() = 0;
    };

    // One sound at a time.
    class Sound {
    public:
        virtual ~Sound() = default;
        // False when the sound did not start.
        virtual bool play(const QString& path) = 0;
        virtual void stop() = 0;
    };

    // The movie's files are in workFolder. Outside preview each frame's sound
    // is removed there once another frame has taken its place, and the end
    // of the movie ends the program; a preview only closes its window.
    PlaybackEngine(const MovieDoc& doc, QString workFolder, bool preview, Screen& screen,
                   Sound& sound, TimerSource& timers);
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Shows frame 1 and plays on in the movie's mode. False when frame 1
    // could not be shown, which has ended the movie.
    bool start();

    // What the viewer does.
    void goOn();  // double-click on the picture, Space or Right
    void autoClicked();
    void endClicked();
    void counterClicked();
    // An entry of the frame list (from 0) double-clicked, -1 for none.
    void listChosen(int entry);
    // The window closed by other means (the window system, the program).
    void windowClosed();
    // Each poll of the frame's sound: false once it no longer plays.
    void soundPolled(bool stillPlaying);

    // What the window shows.
    int currentFrame() const { return current_; }
    Mode mode() const { return mode_; }
    bool waitingForSound() const { return waitingForSound_; }
    bool inLoopWait() const { return inLoopWait_; }
    bool isOver() const { return over_; }
    QString counterText() const;
    // The countdown's text, empty while none runs.
    QString countdownText() const;
    bool listShown() const { return listShown_; }
    QStringList listEntries() const;

    // The texts it shows.
    static QString FormatMinSec(int s);
    static QString LoopWaitText(int seconds);
    static QString FrameCounterText(int n, int frameCount);
    static QString FrameListEntry(int k, const QString& pictureFile);
    // The frame timer's interval for a wait: a negative wait counts as none.
    static int FrameInterval(int waitMs);

private:
    const FrameEntry& frame(int k) const;
    bool ShowFrame(int n);
    void AdvanceFrame();
    void tmrMain_Timer();
    void startFrameTimer();
    void startCountdown();
    void countdownTick();
    void finishCountdown();
    void stopCountdown();
    // The movie's mode goes on by itself: on its waits, or waits and sounds.
    bool playsByItself() const;
    // The last frame is followed by the countdown and frame 1 again.
    bool loopsAtEnd() const;
    // The frame after the current one when nobody intervenes, or 0.
    int likelyNext() const;
    // Ends the movie once: stops everything, closes the window unless it is
    // already going, and outside preview ends the program.
    void finish(int exitCode, bool closeWindow);

    const MovieDoc& doc_;
    const QString workFolder_;
    const bool preview_;
    Screen& screen_;
    Sound& sound_;
    std::unique_ptr<PlaybackTimer> frameTimer_;
    std::unique_ptr<PlaybackTimer> countdownTimer_;

    int current_ = 1;
    Mode mode_ = Mode::Manual;
    bool waitingForSound_ = false;
    bool inLoopWait_ = false;
    int secondsLeft_ = 0;
    bool listShown_ = false;
    bool over_ = false;
    // The sound file of the frame on screen, removed when another takes
    // its place.
    QString shownSound_;
    // False once the engine is gone: the screen may run a message box's
    // event loop, in which the window and its engine can be destroyed.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
