// MFIL_CHK2 (file check): whether a command's program file exists before it is started.
#pragma once

#include <QStringList>

namespace MFIL_CHK2 {

// True when the command's program (its first word) names an existing file:
// an absolute or relative path as it stands, a bare name through PATH.
bool ProgramFileExists(const QStringList& commandLine);

}  // namespace MFIL_CHK2
