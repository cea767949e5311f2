#pragma once

#include "system/WorkFolderMove.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The options dialog's texts.
namespace OptionTexts {

inline const QString kCaption = QStringLiteral("環境設定");
inline const QString kWorkFolderFrame =
    QStringLiteral("作業フォルダ（読み込んだ際にBMPを展開する所）");
inline const QString kBrowseCaption = QStringLiteral("...");
inline const QString kWarning = QStringLiteral("＊終了時に*.bmpを削除するので注意して下さい");
inline const QString kSaveFolderFrame = QStringLiteral("デフォルトの保存先フォルダ");
inline const QString kAssociationFrame = QStringLiteral("拡張子(.sdw)の関連付け");
inline const QString kRegisterCaption = QStringLiteral("関連付けを設定する");
inline const QString kRegisterTip =
    QStringLiteral("*.sdwをダブルクリックすると起動できるようになる");
inline const QString kUnregisterCaption = QStringLiteral("関連付けを削除する");
inline const QString kUnregisterTip = QStringLiteral("拡張子(.sdw)の関連付けを削除する");
inline const QString kOkCaption = QStringLiteral("OK");
inline const QString kCancelCaption = QStringLiteral("ｷｬﾝｾﾙ");
// Shown when a folder text names no existing folder.
inline const QString kBadFolder =
    QStringLiteral("フォルダ指定が異常です\n存在するフォルダを指定して下さい");
inline const QString kBadFolderTitle = QStringLiteral("設定エラー");
// Shown after a work-folder change when some pictures could not be moved
// and were left where they were.
inline const QString kPicturesKept = QStringLiteral(
    "次の画像は新しい作業フォルダへ移動できなかったため、元の作業フォルダに残しました。");

}  // namespace OptionTexts

// The modal options dialog: the work and save folders of appSettings(), and
// the registration of the package type. Folders change only on a
// successful OK, and a new work folder becomes the process's work folder
// at once; the association buttons act at once.
class frmOption : public QDialog {
    Q_OBJECT

public:
    explicit frmOption(QWidget* parent = nullptr);

    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtSagyou = nullptr;
    QPushButton* cmdSagyou = nullptr;
    QLabel* lbl1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtHozon = nullptr;
    QPushButton* cmdHozon = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPushButton* cmdSet = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void Form_Load();
    void cmdSagyou_Click();
    void cmdHozon_Click();
    void cmdSet_Click();
    void cmdDel_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // What the last OK did to the pictures of the old work folder.
    const WorkFolderMove::Result& lastMove() const { return lastMove_; }

private:
    WorkFolderMove::Result lastMove_;
};
