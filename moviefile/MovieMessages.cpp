#include "MovieMessages.h"

using namespace Qt::StringLiterals;

namespace MovieMessages {

MessageText of(MovieMessage message, const QString& detail) {
    switch (message) {
        case MovieMessage::None:
            break;
        case MovieMessage::NewerVersion:
            return {
                u"SDW ファイルのバージョンが新しいです\r\n最新のＥＸＥを入手することをお勧めします"_s,
                u"ＥＸＥ古いよ"_s, MessageBox::Icon::Exclamation};
        case MovieMessage::InvalidScript:
            return {u"ファイルが不正です"_s, u"実行エラー"_s, MessageBox::Icon::Critical};
        case MovieMessage::InvalidPackage:
            return {u"ファイルが不正です"_s, u"異常終了"_s, MessageBox::Icon::Critical};
        case MovieMessage::InvalidPackage01:
            return {u"ファイルが不正です"_s, u"異常終了 01"_s, MessageBox::Icon::Critical};
        case MovieMessage::InvalidPackage02:
            return {u"ファイルが不正です"_s, u"異常終了 02"_s, MessageBox::Icon::Critical};
        case MovieMessage::GapInFrames:
            return {u"表示するデータの途中に空きがあります\r\n番号順に１から設定して下さい"_s,
                    u"中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::NoFrames:
            return {u"表示するデータがありません"_s, u"中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::SaveFailed:
            return {u"保存に失敗しました"_s, u"保存中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::SaveFileMissing:
            return {u"保存するファイルが存在しません"_s, u"保存中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::UnstorableNames:
            return {
                u"次のファイル名はパッケージに正しく保存できません\r\n"
                u"ファイル名を変えてから設定し直して下さい\r\n\r\n"_s +
                    detail,
                u"保存中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::MemberTooLarge:
            return {u"ファイルが大きすぎるため展開できません（上限 256MB）\r\n"_s + detail,
                    u"展開中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::PictureTooLarge:
            return {u"画像が大きすぎるため展開できません（上限 6400万画素）\r\n"_s + detail,
                    u"展開中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::NotEnoughSpace:
            return {u"ディスクの空き容量が足りないため展開できません\r\n"_s + detail, u"展開中止"_s,
                    MessageBox::Icon::Critical};
        case MovieMessage::WorkFileInTheWay:
            return {u"作業フォルダに同じ名前のファイルがあるため展開できません\r\n"_s + detail +
                        u"\r\n別の作業フォルダを指定するか、このファイルを移動して下さい"_s,
                    u"展開中止"_s, MessageBox::Icon::Critical};
        case MovieMessage::WorkFolderInUse:
            return {u"作業フォルダはほかの編集画面で使用中です\r\n"_s + detail +
                        u"\r\n先に起動した編集画面を終了してから起動して下さい"_s,
                    u"起動中止"_s, MessageBox::Icon::Critical};
    }
    return {};
}

}  // namespace MovieMessages
