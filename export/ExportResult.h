#pragma once

#include <QString>

// How an export ended. The export never leaves a partial file: on any of
// these but None, the target is as it was before.
enum class ExportProblem {
    None,
    Cancelled,          // the user stopped it
    UnknownFormat,      // the target's extension names no format we write
    NoFrames,           // the movie has no frame
    NothingToShow,      // every frame lasts no time at all
    NoArchiver,         // the package cannot be opened without the archiver
    InvalidPackage,     // the package is damaged, truncated or not a movie
    MissingPicture,     // a frame's picture is not there
    UnreadablePicture,  // a frame's picture is not a picture we can read
    PictureTooLarge,    // a picture, or the video holding them all, is too large
    CannotWrite,        // the target's folder cannot take the file
    DiskFull,           // writing stopped for lack of space
    EncoderFailed,      // FFmpeg could not make the video
};

struct ExportResult {
    ExportProblem problem = ExportProblem::None;
    // The file or detail the problem concerns, for the message.
    QString subject;

    bool ok() const { return problem == ExportProblem::None; }
};

namespace ExportMessages {

// One line, in Japanese, for a message box or the terminal. Empty for
// None and Cancelled, which need no message.
QString Text(const ExportResult& result);
// The title of the editor's box.
QString Title();

}  // namespace ExportMessages
