// frmCopy (copy form): the capture window, taking timed screen copies as new frames.
#pragma once

#include <QDialog>
#include <QImage>
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

// The capture window's texts.
namespace CopyTexts {

inline const QString kCaption = QStringLiteral("Slidewright　記録");
inline const QString kRecordTip = QStringLiteral("スクリーンを記録");
inline const QString kPauseTip = QStringLiteral("記録を一時停止");
inline const QString kStopTip = QStringLiteral("記録を停止");
inline const QString kDelayLabel = QStringLiteral("遅延秒数");
inline const QString kDelayTip = QStringLiteral("記録までの遅延秒数　０～９秒");
inline const QString kNumberTip = QStringLiteral("記録No");
inline const QString kContinuousCaption = QStringLiteral("連続コピー");
inline const QString kContinuousTip = QStringLiteral("指定した遅延秒数で連続的にコピーする");
inline const QString kActiveCaption = QStringLiteral("ｱｸﾃｨﾌﾞ画面を記録");
inline const QString kColourCaptions[3] = {
    QStringLiteral("そのまま"), QStringLiteral("256色に減色"), QStringLiteral(" 16色に減色")};
inline const QString kColourTip = QStringLiteral("スクリーンを記録する際の色指定");
// Refusals: the table is full, or continuous mode with a short delay.
inline const QString kTableFull =
    QStringLiteral("記録に失敗しました\r\n１００件まで登録されてます");
inline const QString kStoppedTitle = QStringLiteral("記録中止");
inline const QString kContinuousDelay =
    QStringLiteral("連続コピーする際は遅延秒数を３秒以上として下さい");
// A failed save: this text, then the path that was tried.
inline const QString kSaveFailed =
    QStringLiteral("保存に失敗しました（下記で保存を試みました）\r\n");
inline const QString kSaveFailedTitle = QStringLiteral("エラー");
// The desktop's screenshot service failed; titled kStoppedTitle.
inline const QString kPortalMissing = QStringLiteral(
    "画面を記録できませんでした。\r\n"
    "このデスクトップには画面を記録する仕組み（xdg-desktop-portal "
    "のスクリーンショット）がありません。");
inline const QString kPortalRefused =
    QStringLiteral("画面を記録できませんでした。\r\n画面の記録が許可されませんでした。");
inline const QString kPortalNoAnswer = QStringLiteral(
    "画面を記録できませんでした。\r\nデスクトップが１０秒以内に応答しませんでした。");
inline const QString kPortalError =
    QStringLiteral("画面を記録できませんでした。\r\nデスクトップが画面の記録に失敗しました。");
// Said once a run where only the whole screen can be copied; titled with
// the check box's caption.
inline const QString kWholeScreenOnly = QStringLiteral(
    "このデスクトップ（Wayland）では、アクティブ画面だけを記録することはできません。\r\n"
    "画面全体を記録します。");

}  // namespace CopyTexts

// The small always-on-top window that records screens into the movie being
// edited: after a delay it copies the whole screen or the active window,
// saves it as the next "SWnnn.bmp" of the work folder and enters it as the
// next row of the frame table, once or continuously. It never takes the
// focus from the window the user activates, except while the delay is typed.
class frmCopy : public QDialog {
    Q_OBJECT

public:
    // Captures enter the work folder through `files`.
    explicit frmCopy(WorkFolderSession& files, QWidget* parent = nullptr);
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
    // Where only the whole screen can be copied, says so once a run.
    void tellWholeScreenOnly();
    // The delay box takes typing only while the window accepts the focus.
    void acceptFocusForTyping(bool accept);

    WorkFolderSession& files_;
    QButtonGroup* colourGroup_ = nullptr;
    bool unloaded_ = false;
    bool capturing_ = false;
};
