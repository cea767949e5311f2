#pragma once

#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/MovieScript.h"

#include <QString>

#include <functional>

// Saving the movie as a package: the script first, then each frame's
// picture and sound, from the work folder.
namespace PackageSave {

struct SaveResult {
    bool saved = false;
    // The box to show when the save failed; None when it succeeded.
    MovieMessage message = MovieMessage::None;
    QString detail;  // the names a refused save could not store
};

// Stores frames 1 to n of doc, their files taken from workFolder, into a
// package at path, calling progress with the whole percentage after each
// frame. The package is
// written beside the target under a temporary name and renamed over it only
// when every member is stored, so a failed save leaves an earlier package
// exactly as it was; the temporary package goes however the save ends, the
// end of the program included. A file that two frames name is stored once.
// Names the package could not give back unchanged refuse the save before
// anything is written. The script is written in scriptFolder, a folder of
// the program's own, never among the user's files.
SaveResult SavePackage(const MovieDoc& doc, const QString& workFolder, const QString& path, int n,
                       const MovieScript::ScriptSettings& settings,
                       const std::function<void(int percent)>& progress,
                       const QString& scriptFolder);

}  // namespace PackageSave
