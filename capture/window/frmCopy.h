// frmCopy (copy form): the capture window, taking timed screen copies as new frames.
#pragma once

#include "capture/window/CopyTexts.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;
class QToolButton;
class WorkFolderSession;
struct AppSettings;
struct MovieDoc;

// The small always-on-top window that records screens into the movie being
// edited: after a delay it copies the whole screen or the active window,
// saves it as the next "SWnnn.bmp" of the work folder and reports it as the
// next row of the frame table, once or continuously. It never takes the
// focus from the window the user activates, except while the delay is typed.
class frmCopy : public QDialog {
    Q_OBJECT

public:
    // The window reads `doc` to know the next row and the names in use, and
    // never changes it: the editor enters each capture it reports. Captures
    // enter the work folder through `files`; the capture options come from
    // and go back to `settings`. The window opens at `placeTwips` (left,
    // top in twips).
    frmCopy(const MovieDoc& doc, AppSettings& settings, WorkFolderSession& files, QPoint placeTwips,
            QWidget* parent = nullptr);
    ~frmCopy() override;

    // Shows the window modal and returns its result once it has closed.
    // Unlike exec(), hiding the window for a copy does not end it.
    int runModal();

    QToolButton* cmdCopy = nullptr;
    QToolButton* cmdStop = nullptr;
    QToolButton* cmdEnd = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtTim = nullptr;
    QLineEdit* txtNo = nullptr;
    QCheckBox* chkCopy = nullptr;
    QCheckBox* chkAct = nullptr;
    std::array<QRadioButton*, 3> optColor{};
    QTimer* tmrSleep = nullptr;
    // The capture between copying and saving it.
    QImage picCopy;

    // The frame-table row the next saved capture takes, 1 to 101.
    int nextFrameNo = 0;

    void Form_Load();
    void Form_Unload();
    void txtTim_GotFocus();
    void chkCopy_Click();
    void cmdCopy_Click();
    void cmdStop_Click();
    void cmdEnd_Click();
    void tmrSleep_Timer();

    // The delay in seconds: the number txtTim begins with, 0 for none.
    double delaySeconds() const;
    // The chosen colour option, -1 when none is chosen.
    int colourOption() const;
    // Where the window belongs (left, top in twips): where it opened, then
    // where it stood before each copy.
    QPoint placeTwips() const { return place_; }

signals:
    // A capture is in the work folder as `name` and belongs in row `frame`.
    void pictureSaved(int frame, const QString& name);

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void setInputsEnabled(bool enabled);
    void armTimer();
    void showNextFrameNo();
    void captureAndSave();
    void moveToPosition();
    // Out of the picture for a copy, and back without taking the focus.
    void stepAside();
    void comeBack();
    // A tooltip is a window of its own, which Qt takes a moment to hide: one
    // showing over this window when a capture starts would be in the copy.
    void hideToolTips();
    // Where only the whole screen can be copied, says so once a run.
    void tellWholeScreenOnly();
    // The delay box takes typing only while the window accepts the focus.
    void acceptFocusForTyping(bool accept);

    const MovieDoc& doc_;
    AppSettings& settings_;
    WorkFolderSession& files_;
    QPoint place_;
    QButtonGroup* colourGroup_ = nullptr;
    bool unloaded_ = false;
    bool capturing_ = false;
};
