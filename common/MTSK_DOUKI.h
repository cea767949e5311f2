// MTSK_DOUKI (task, synchronous): runs a program and waits for its end, windows alive.
#pragma once

#include <QString>
#include <QStringList>

namespace MTSK_DOUKI {

// Starts the program (the first word; the rest are its arguments, passed
// as they are, no shell) in `workingFolder` and returns when it has ended.
// Window events keep being processed meanwhile; there is no time limit.
// True when a started program was waited for; false, at once, when the
// program file does not exist or cannot be started.
bool RunAndWait(const QStringList& commandLine, const QString& workingFolder = {});

}  // namespace MTSK_DOUKI
