// frmMovie (movie form): the player window.
#pragma once

#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "player/FrameLoader.h"
#include "player/PlaybackEngine.h"

#include <QString>
#include <QWidget>

#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

// The player window: a borderless window the size of the frame's picture,
// with three small buttons and the hidden frame list at the picture's right
// edge. It shows what its playback engine says and hands the viewer's
// clicks and keys to it.
class frmMovie : public QWidget, private PlaybackEngine::Screen, private PlaybackEngine::Sound {
    Q_OBJECT

public:
    // Plays `doc` from the files in workFolder. Outside preview the load
    // reads doc from a package first; in preview doc is the editor's table,
    // and its files are the editor's. `timers` drive the engine (Qt's own
    // when none are given).
    frmMovie(MovieDoc& doc, QString workFolder, bool preview, QWidget* parent = nullptr,
             TimerSource* timers = nullptr);
    ~frmMovie() override;

    // Creates the player on the package named on the command line or
    // chosen in the open dialog, in the run's private work folder, runs its
    // load and shows it, as the launcher's button does. Nothing when the
    // load ended the program.
    static frmMovie* Open(MovieDoc& doc);

    // Plays the editor's movie from the editor's work folder, modal over the
    // editor, and returns once the player has closed. The caller sets
    // doc.frameCount to the frames to play first.
    static void RunPreview(QWidget* editor, MovieDoc& doc, const QString& workFolder);

    // Chooses and loads the movie and starts playback. False when the load
    // ended the program or closed the preview; the window must not be shown.
    bool Form_Load();
    void ArrangeControls();
    // The room the three buttons take, stacked.
    static QSize buttonStackSize();

    const PlaybackEngine& engine() const { return *engine_; }

    // Event handlers, named after their control and event.
    void tmrMidPlay_Timer();
    void tmrEnd_Timer();
    void cmdAuto_Click();
    void cmdNo_Click();
    void cmdEnd_Click();
    void lstDat_DblClick();
    void Pic1_DblClick();
    void Pic1_MouseDown(const QPoint& position);
    void Pic1_MouseUp(const QPoint& position);

    QLabel* Pic1;
    QPushButton* cmdAuto;
    QPushButton* cmdNo;
    QPushButton* cmdEnd;
    QListWidget* lstDat;
    QLabel* lblLoopWait;
    QTimer* tmrMidPlay;
    QTimer* tmrEnd;

    int dragStartX = -1;
    int dragStartY = -1;

signals:
    // The window has closed.
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
    // What the engine asks of its window.
    bool showPicture(int n) override;
    void expectFrame(int n) override;
    void refresh() override;
    void closeWindow() override;
    bool play(const QString& path) override;
    void stop() override;

    // Shows the movie file's box and ends the program: the load failed.
    void failLoad(MovieMessage message);
    void placeOnScreen();

    MovieDoc& doc_;
    const QString workFolder_;
    const bool preview_;
    std::unique_ptr<TimerSource> ownTimers_;
    FrameLoader frames_;
    std::unique_ptr<PlaybackEngine> engine_;
    // The frame to read ahead once the screen is painted.
    int expectedFrame_ = 0;
    // The frame whose picture was just put on screen, announced once the
    // engine has started its sound.
    int pictureShown_ = 0;
    // The window's size in device pixels: the picture's own, or the buttons'
    // when the picture is smaller.
    QSize windowDeviceSize_;
};
