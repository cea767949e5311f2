#pragma once

#include "export/ExportFormat.h"
#include "export/ExportResult.h"
#include "moviefile/MovieDoc.h"

#include <QString>

#include <functional>
#include <vector>

// A movie as the export needs it: its frames in order, the two settings
// that shape its time, and the folder that holds its files.
struct MovieToExport {
    std::vector<FrameEntry> frames;
    int advanceMode = 0;
    int loopFlag = 0;
    QString folder;
};

struct ExportProgress {
    // After each frame: how many of how many are done.
    std::function<void(int done, int total)> frameDone;
    // Asked often (between frames and while long sounds are rendered):
    // true stops the export.
    std::function<bool()> cancelled;
};

// Exporting a movie to a video or an animated GIF, one pass of it as the
// player shows it: each frame lasts its wait (in mode 2 at least as long
// as its sound, in the manual mode 3 s when it has no wait), its picture
// centred on black in a video as large as the largest picture, its sound
// from its start until the next frame starts.
namespace MovieExporter {

// The largest picture, and video, the export takes: H.264's largest level.
constexpr int kLargestSide = 8192;
constexpr qint64 kLargestArea = qint64{8192} * 4320;

// Writes the movie to `target` in the format its extension names. The
// file is written beside the target under a temporary name and renamed
// over it only when complete: on failure or cancel no file is left and an
// earlier file of that name is kept.
ExportResult Export(const MovieToExport& movie, const QString& target,
                    const ExportProgress& progress);

}  // namespace MovieExporter
