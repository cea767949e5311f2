#pragma once

#include "settings/AppSettings.h"

#include <QByteArray>
#include <QString>

#include <functional>

// The settings file: eight "[KEY   ],value" lines in UTF-8 with CR LF ends,
// in the user's configuration folder.
namespace SettingsFile {

// $XDG_CONFIG_HOME/slidewright/Slidewright.ini
QString SettingsFilePath();
// $XDG_DATA_HOME/slidewright/BMP
QString DefaultWorkFolder();
// The documents folder when it exists, else the home folder.
QString DefaultSaveFolder();

// Makes the default work folder when it is missing; false when it cannot be
// made (the editor still opens).
bool CreateDefaultWorkFolder();

enum class ParseResult {
    Complete,  // every line was read
    Stopped,   // a number did not fit its field; the lines before it hold
};

// Tells whether a folder named in the file may be taken.
using FolderCheck = std::function<bool(const QString&)>;

// Applies the records of a settings file's text to `settings`, which the
// caller has set to its defaults. Folders are taken only when `folderExists`
// says so.
ParseResult ParseSettingsText(const QByteArray& text, AppSettings& settings,
                              const FolderCheck& folderExists);

// The exact bytes WriteSettings stores.
QByteArray SettingsText(const AppSettings& settings);

// Sets the position and folders to their defaults, then takes what the file
// holds. A missing or unreadable file, or anything but a plain file in its
// place (a FIFO is never waited on), leaves the defaults; nothing is
// reported. The capture options keep their values unless the file has them.
void ReadSettings(AppSettings& settings);

// Replaces the settings file. The new text is written beside it and renamed
// over it, so a failed write leaves the old file whole. A link is written
// through to the plain file it leads to; a link to anything else, a broken
// link, or a FIFO or folder in the file's place is left alone. False on
// failure.
bool WriteSettings(const AppSettings& settings);

}  // namespace SettingsFile
