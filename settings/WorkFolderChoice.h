#pragma once

#include <QString>

// Folders that must never be the work folder: the program clears its own
// files from the work folder, and these hold the user's files or the
// program's settings, where one slip would cost the most.
namespace WorkFolderChoice {

enum class Refusal {
    None,
    Home,            // the home folder
    Root,            // the file system's root
    SettingsFolder,  // the folder of the settings file
    SaveFolder,      // the save folder, where the user's packages live
};

// Why `folder` cannot be the work folder beside `saveFolder`; None when it
// can. Folders are compared as the file system sees them, so another
// spelling or a link to one of them is refused too.
Refusal Check(const QString& folder, const QString& saveFolder);

// True when both name the same existing folder.
bool SameFolder(const QString& first, const QString& second);

}  // namespace WorkFolderChoice
