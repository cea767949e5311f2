// AFrameReel: the movie's package and work folder as the player and the editor use them.
#pragma once

#include "MovieMessages.h"

#include <QImage>
#include <QString>

// The movie's package and work folder as the player and the editor use
// them: choosing the package, loading a frame's picture, and the quiet file
// helpers.
namespace AFrameReel {

// Run first by the player (outside preview): makes the run's private work
// folder current and takes the package from the command line, double
// quotes removed (MovieDoc::setPackagePath). Returns InvalidPackage when the command
// line names no existing file (the caller shows it and ends the program)
// or when no work folder can be made; None otherwise.
MovieMessage PrepareWorkAndPackage();

// Where file dialogs start when no package is named: the documents folder
// when there is one, else the home folder.
QString DefaultFolder();

struct FramePicture {
    QImage image;
    // InvalidPackage on failure, or a size refusal with its detail.
    MovieMessage message = MovieMessage::None;
    QString detail;
    bool ok() const { return message == MovieMessage::None; }
};

// Frame k's picture. The player passes deleteAfter and extractFirst true:
// the picture and sound are taken from the package first and the picture
// file is deleted once loaded. The editor passes false, false. In preview
// nothing is extracted or deleted. A sound that cannot be extracted is not
// an error: the frame is shown without it. Before anything is extracted
// the two members are weighed (ExtractionCheck); after a failure nothing
// extracted for the frame stays behind.
FramePicture LoadFramePicture(int k, bool deleteAfter, bool extractFirst);

// Deletes a file, or every file matching a pattern of * and ? in the last
// part of the path ("folder/*.bmp", matched without regard to case as the
// stored names may come from Windows). Folders are never deleted; every
// failure is ignored.
void DeleteFileQuietly(const QString& path);

// Copies a file, replacing the destination only once the copy is complete;
// every failure is ignored.
void CopyFileQuietly(const QString& source, const QString& destination);

}  // namespace AFrameReel
