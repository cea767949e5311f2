// AFrameReel: the movie's package and work folder as the player and the editor use them.
#pragma once

#include "MovieMessages.h"

#include <QString>

struct MovieDoc;

namespace AFrameReel {

// Run first by the player (outside preview): makes sure the run's private
// work folder exists and gives doc the package from the command line,
// double quotes removed (MovieDoc::setPackagePath). Returns InvalidPackage
// when the command line names no existing file (the caller shows it and
// ends the program) or when no work folder can be made; None otherwise.
MovieMessage PrepareWorkAndPackage(MovieDoc& doc);

// Where file dialogs start when no package is named: the documents folder
// when there is one, else the home folder.
QString DefaultFolder();

// Deletes a file, or every file matching a pattern of * and ? in the last
// part of the path ("folder/*.bmp", matched without regard to case as the
// stored names may come from Windows). Folders are never deleted; every
// failure is ignored.
void DeleteFileQuietly(const QString& path);

// Copies a file, replacing the destination only once the copy is complete;
// every failure is ignored.
void CopyFileQuietly(const QString& source, const QString& destination);

}  // namespace AFrameReel
