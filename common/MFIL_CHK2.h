#pragma once

#include <QStringList>

// Whether a command can be started at all, before anything is started.
namespace MFIL_CHK2 {

// True when the command's program (its first word) names an existing file:
// an absolute or relative path as it stands, a bare name through PATH.
bool ProgramFileExists(const QStringList& commandLine);

}  // namespace MFIL_CHK2
