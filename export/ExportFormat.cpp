#include "ExportFormat.h"

#include <QFileInfo>

namespace ExportFormats {

std::optional<ExportFormat> ForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"mp4") {
        return ExportFormat::Mp4;
    }
    if (suffix == u"webm") {
        return ExportFormat::WebM;
    }
    if (suffix == u"gif") {
        return ExportFormat::Gif;
    }
    return std::nullopt;
}

}  // namespace ExportFormats
