#pragma once

#include <QString>

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
