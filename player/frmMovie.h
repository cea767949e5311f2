// frmMovie (movie form): the player window.
#pragma once

#include "moviefile/MovieMessages.h"

#include <QString>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

// The player window: a borderless window the size of the frame's picture,
// with three small buttons and the hidden frame list at the picture's right
// edge. It walks the frames of movieDoc() in automatic or manual mode.
class frmMovie : public QWidget {
    Q_OBJECT

public:
    explicit frmMovie(QWidget* parent = nullptr);
    ~frmMovie() override;

    // Creates the player, runs its load and shows it, as the launcher's
    // button does. Nothing when the load ended the program.
    static frmMovie* Open();

    // Plays the editor's own table from the editor's work folder, modal over
    // the editor, and returns once the player has closed. The caller sets
    // frameCount first; previewMode is set here and left true for the caller
    // to reset, as the editor's preview command does afterwards.
    static void RunPreview(QWidget* editor);

    // Chooses and loads the movie and starts playback. False when the load
    // ended the program or closed the preview; the window must not be shown.
    bool Form_Load();
    void ArrangeControls();
    // The room the three buttons take, stacked.
    static QSize buttonStackSize();

    // The playback engine.
    bool ShowFrame(int n);
    void AdvanceFrame();

    // Texts shown by the player.
    static QString FormatMinSec(int s);
    static QString LoopWaitText(int seconds);
    static QString FrameCounterText(int n, int frameCount);
    static QString FrameListEntry(int k, const QString& pictureFile);
    // The frame timer's interval for a frame's wait: a negative wait counts
    // as none, so the timer always runs.
    static int FrameInterval(int waitMs);

    // Event handlers, named after their control and event.
    void tmrMain_Timer();
    void tmrMidPlay_Timer();
    void tmrEnd_Timer();
    void cmdAuto_Click();
    void cmdNo_Click();
    void cmdEnd_Click();
    void lstDat_DblClick();
    void Pic1_DblClick();
    void Pic1_MouseDown(const QPoint& position);
    void Pic1_MouseUp(const QPoint& position);

    // True while cmdAuto reads "Auto": the player's mode lives in its caption.
    bool isAutoMode() const;

    QLabel* Pic1;
    QPushButton* cmdAuto;
    QPushButton* cmdNo;
    QPushButton* cmdEnd;
    QListWidget* lstDat;
    QLabel* lblLoopWait;
    QTimer* tmrMain;
    QTimer* tmrMidPlay;
    QTimer* tmrEnd;

    int currentFrame = 1;
    bool playerClosed = false;
    bool waitingForSound = false;
    bool stopRequested = false;
    bool inLoopWait = false;
    bool closeRequested = false;
    int dragStartX = -1;
    int dragStartY = -1;

signals:
    // The window has closed (not merely hidden by a deferred close).
    void closed();
    // Frame n's picture is in the window and its sound has started.
    void frameShown(int n);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Space and Right go on as a double-click does; Escape ends as End does.
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runLoopCountdown();
    // Pauses while window events run; false when the window went meanwhile.
    bool pauseWithEvents(int milliseconds);
    void startFrameTimer();
    // Shows the movie file's box, then ends the program, or outside a
    // running program closes the preview.
    void failWith(MovieMessage message, const QString& detail = {});
    void endProgram(int exitCode);
    void placeOnScreen();

    // The sound file of the frame on screen, removed when another frame
    // takes its place.
    QString shownSoundFile_;
    // The window's size in device pixels: the picture's own, or the buttons'
    // when the picture is smaller.
    QSize windowDeviceSize_;
};
