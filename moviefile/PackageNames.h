#pragma once

#include <QStringList>

// File names a package can carry. A save must not report success for a
// package that the editor or the player then cannot open again, so every
// name is tried on its whole way back before anything is written.
namespace PackageNames {

// The names among these that would not come back unchanged: not a bare
// name, stored or read back as another name, one the archiver's matching
// (letter case ignored) confuses with another name or with the script, or
// a picture not ending in ".bmp" and a sound not ending in ".wav" or
// ".mid", which the editor does not unpack. Each name is listed once.
QStringList Unstorable(const QStringList& pictures, const QStringList& sounds);

}  // namespace PackageNames
