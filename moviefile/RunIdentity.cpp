#include "RunIdentity.h"

#include <QStringList>

#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

namespace RunIdentity {
namespace {

// The kernel's start time of a process, in clock ticks since boot.
std::optional<std::string> processStartTime(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!stat || !std::getline(stat, line)) {
        return std::nullopt;
    }
    // The program name in parentheses may hold blanks; count after it.
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    for (int number = 3; fields >> field; ++number) {
        if (number == 22) {
            return field;
        }
    }
    return std::nullopt;
}

}  // namespace

QString currentRun() {
    const long pid = static_cast<long>(::getpid());
    return QString::number(pid) + u'-' +
           QString::fromStdString(processStartTime(pid).value_or(std::string("0")));
}

bool isAlive(long pid, const QString& startTime) {
    if (const auto now = processStartTime(pid)) {
        return QString::fromStdString(*now) == startTime;
    }
    if (processStartTime(static_cast<long>(::getpid()))) {
        return false;  // /proc works, and knows no such process
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<Run> parse(const QString& text) {
    const QStringList parts = text.split(u'-');
    bool pidOk = false;
    bool timeOk = false;
    Run run;
    run.pid = parts.value(0).toLong(&pidOk);
    run.startTime = parts.value(1);
    run.startTime.toULongLong(&timeOk);
    if (parts.size() != 2 || !pidOk || !timeOk || run.pid <= 0) {
        return std::nullopt;
    }
    return run;
}

}  // namespace RunIdentity
