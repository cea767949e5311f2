#pragma once

#include <QString>

#include <optional>

// Names one run of a program: its process id with the kernel's start time
// of that process, so a file named after a run can be told from one of a
// later process that reused the id.
namespace RunIdentity {

// "<pid>-<start time>" of this process.
QString currentRun();

// False only when it is certain that the run is over: no such process, or
// the id now belongs to a process that started at another time.
bool isAlive(long pid, const QString& startTime);

// The pid and start time of a "<pid>-<start time>" text; nothing when the
// text is not one.
struct Run {
    long pid = 0;
    QString startTime;
};
std::optional<Run> parse(const QString& text);

}  // namespace RunIdentity
