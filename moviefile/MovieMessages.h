#pragma once

#include "common/MessageBox.h"

#include <QString>

// The boxes the movie file asks its callers to show. The movie file has no
// windows: its operations return one of these and the window shows it with
// MessageBox::show, so every text lives here once.
enum class MovieMessage {
    None,
    NewerVersion,      // the script comes from a newer program: warn, go on
    InvalidScript,     // the script cannot be read
    InvalidPackage,    // the package or one of its frames cannot be used
    InvalidPackage01,  // the editor's package vanished before it was opened
    InvalidPackage02,  // the editor could not unpack the package's files
    GapInFrames,       // a used frame follows a free one
    NoFrames,          // nothing to save or preview
    SaveFailed,        // the archiver could not store a member
    SaveFileMissing,   // a frame's picture is not in the work folder
    // With a detail text naming what is meant:
    UnstorableNames,   // file names a package cannot carry unchanged
    MemberTooLarge,    // a member above the size limit, before unpacking
    PictureTooLarge,   // a picture whose header declares too many pixels
    NotEnoughSpace,    // the unpacked members would not fit on the disk
    WorkFileInTheWay,  // a file of the user's has a member's name
    WorkFolderInUse,   // another editor works in the work folder
};

namespace MovieMessages {

struct MessageText {
    QString text;
    QString title;
    MessageBox::Icon icon = MessageBox::Icon::Critical;
};

// Every box is a single OK button. `detail` (names, sizes, a folder) goes
// into the boxes that have a place for it.
MessageText of(MovieMessage message, const QString& detail = {});

}  // namespace MovieMessages
