#pragma once

#include <QString>

#include <optional>

// The kinds of file a movie is exported to, told by the file's extension.
enum class ExportFormat {
    Mp4,   // H.264 and AAC
    WebM,  // VP9 and Opus
    Gif,   // an animated GIF, without sound
};

namespace ExportFormats {

// .mp4, .webm or .gif, in any case; nothing for any other name.
std::optional<ExportFormat> ForPath(const QString& path);

}  // namespace ExportFormats
