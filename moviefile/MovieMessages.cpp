#include "MovieMessages.h"

using namespace Qt::StringLiterals;

namespace MovieMessages {

MessageText of(MovieMessage message) {
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
    }
    return {};
}

}  // namespace MovieMessages
