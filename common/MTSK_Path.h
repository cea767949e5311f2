// MTSK_Path (task path): the program the desktop opens a file with.
#pragma once

#include <QString>
#include <QStringList>

namespace MTSK_Path {

// The command that opens the existing file `path` in the default
// application for its type: the desktop entry's Exec line with its field
// codes expanded for `path`, the program as a full path. Empty when the
// file does not exist or no installed application takes its type.
QStringList FindAssociatedProgram(const QString& path);

}  // namespace MTSK_Path
