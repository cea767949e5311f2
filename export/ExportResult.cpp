#include "ExportResult.h"

namespace ExportMessages {

QString Text(const ExportResult& result) {
    const QString& subject = result.subject;
    switch (result.problem) {
        case ExportProblem::None:
        case ExportProblem::Cancelled:
            return {};
        case ExportProblem::UnknownFormat:
            return QStringLiteral("書き出せる形式は .mp4、.webm、.gif です: %1").arg(subject);
        case ExportProblem::NoFrames:
            return QStringLiteral("書き出すフレームがありません");
        case ExportProblem::NothingToShow:
            return QStringLiteral("表示時間のあるフレームがないため書き出せません");
        case ExportProblem::NoArchiver:
            return QStringLiteral("UNLHA32.DLL がないと動作できません");
        case ExportProblem::InvalidPackage:
            return QStringLiteral("ファイルが不正です: %1").arg(subject);
        case ExportProblem::MissingPicture:
            return QStringLiteral("画像ファイルが見つかりません: %1").arg(subject);
        case ExportProblem::UnreadablePicture:
            return QStringLiteral("画像ファイルを読み込めません: %1").arg(subject);
        case ExportProblem::PictureTooLarge:
            return QStringLiteral("画像が大きすぎるため書き出せません: %1").arg(subject);
        case ExportProblem::CannotWrite:
            return QStringLiteral("書き出し先に書き込めません: %1").arg(subject);
        case ExportProblem::DiskFull:
            return QStringLiteral("ディスクの空きが足りないため書き出せませんでした: %1")
                .arg(subject);
        case ExportProblem::EncoderFailed:
            return QStringLiteral("動画を作成できませんでした: %1").arg(subject);
    }
    return {};
}

QString Title() {
    return QStringLiteral("書き出しエラー");
}

}  // namespace ExportMessages
