#pragma once

#include <QString>
#include <QStringList>

// Takes the pictures of the old work folder along when the options dialog
// gives the editor another one.
namespace WorkFolderMove {

struct Result {
    // Bare names now only in the new folder.
    QStringList moved;
    // Bare names left in the old folder because their copy could not be
    // made, verified or told apart from the original.
    QStringList kept;
};

// True when both texts name the same existing folder, however spelled: a
// trailing "/", "." or "..", or a symbolic link.
bool sameFolder(const QString& first, const QString& second);

// Moves every "*.bmp" file (any letter case) directly inside `from` into
// `to`, replacing a file of the same name there. Each original is deleted
// only after its copy is complete on disk and reads back byte for byte, so
// no picture is ever lost. Nothing moves when both name the same folder;
// sounds and other files stay.
Result MoveBitmaps(const QString& from, const QString& to);

}  // namespace WorkFolderMove
