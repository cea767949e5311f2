// frmOption (options form): the work and save folders and the file-type association.
#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class WorkFolderSession;
struct AppSettings;

// The options dialog's texts.
namespace OptionTexts {

inline const QString kCaption = QStringLiteral("環境設定");
inline const QString kWorkFolderFrame =
    QStringLiteral("作業フォルダ（読み込んだ際にBMPを展開する所）");
inline const QString kBrowseCaption = QStringLiteral("...");
// The program removes only what it put there itself, but of those every
// kind: pictures and sounds.
inline const QString kWarning =
    QStringLiteral("＊終了時に、作業フォルダに置いた画像(*.bmp)と音声(*.wav, *.mid)を削除します");
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
// Folders refused as the work folder, under kBadFolderTitle.
inline const QString kHomeRefused = QStringLiteral(
    "ホームフォルダは作業フォルダにできません\n作業フォルダには専用のフォルダを指定して下さい");
inline const QString kRootRefused = QStringLiteral(
    "ルートフォルダは作業フォルダにできません\n作業フォルダには専用のフォルダを指定して下さい");
inline const QString kSettingsFolderRefused = QStringLiteral(
    "設定ファイルのフォルダは作業フォルダにできません\n"
    "作業フォルダには専用のフォルダを指定して下さい");
inline const QString kSaveFolderRefused = QStringLiteral(
    "保存先フォルダは作業フォルダにできません\n"
    "作業フォルダと保存先フォルダには別々のフォルダを指定して下さい");
// Followed by the names found there.
inline const QString kOthersFilesRefused = QStringLiteral(
    "このフォルダには、このプログラムが作ったものではないファイルがあります\n"
    "作業フォルダには空のフォルダを指定して下さい\n");
inline const QString kInUseRefused =
    QStringLiteral("このフォルダは、ほかの編集画面が作業フォルダとして使用中です");
inline const QString kUnusableRefused =
    QStringLiteral("このフォルダには書き込めないため、作業フォルダにできません");
// Followed by the names that could not go; nothing has changed.
inline const QString kPicturesNotMoved = QStringLiteral(
    "次のファイルを新しい作業フォルダへ移せなかったため、"
    "作業フォルダは変更しませんでした\n");

}  // namespace OptionTexts

// The modal options dialog: the work and save folders of `settings`, and
// the registration of the package type. Folders change only on a
// successful OK, and a new work folder is taken at once, the editor's files
// moving along through `files`; the association buttons act at once.
class frmOption : public QDialog {
    Q_OBJECT

public:
    frmOption(AppSettings& settings, WorkFolderSession& files, QWidget* parent = nullptr);

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

private:
    // Refuses a new work folder with its message; true when it may be taken.
    bool acceptWorkFolder(const QString& work, const QString& save);
    void refuse(const QString& text);

    AppSettings& settings_;
    WorkFolderSession& files_;
};
