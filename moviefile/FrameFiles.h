#pragma once

#include "MovieDoc.h"
#include "WorkFolderSession.h"

#include <QString>

// Files of the work folder seen from the frame table. Two frames may name
// the same file (a movie made elsewhere can do it); a file goes from the
// work folder only when no frame names it any more.
namespace FrameFiles {

// Deletes `name` from the work folder of `files` unless a slot other than
// `slot` still names it, and only when the program put it there. Quiet: a
// missing file or a failure is ignored.
void ReleaseFile(const MovieDoc& doc, const QString& name, int slot, WorkFolderSession& files);

// A bare name for a new file in `folder`: `wanted` itself when neither a
// file there nor any frame uses it, else the stem with "_2", "_3", ...
// before the extension ("a.bmp" becomes "a_2.bmp").
QString UnusedName(const MovieDoc& doc, const QString& folder, const QString& wanted);

}  // namespace FrameFiles
