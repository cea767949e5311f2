#pragma once

#include <QString>

#include <optional>

// Work folders: the plain folders into which package members are extracted
// and in which the editor keeps the movie's files. The editor's is the
// user's choice (WorkFolderSession); the player's is a private one of the
// run's own.
namespace WorkFolder {

// The player's work folder, and where a save compresses its members: a
// folder of this run only (mode 0700 under $TMPDIR), made on first use and
// removed when the program ends, however it ends. Folders that earlier,
// killed runs left behind are removed before it is made. Nothing when no
// folder can be made.
std::optional<QString> privateFolder();
// Removes the private folder now; harmless when there is none.
void removePrivateFolder();
// Removes the private folders of runs that are no longer alive under the
// given temporary folder; returns how many were removed.
int removeAbandonedFolders(const QString& temporaryFolder);

// True for a name that can only mean a file directly inside the work
// folder: not empty, no separator, not "." or "..", no leading "..", no
// drive or wildcard characters, no control characters.
bool isBareFileName(const QString& name);

}  // namespace WorkFolder
