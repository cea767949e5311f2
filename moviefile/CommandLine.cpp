#include "CommandLine.h"

namespace CommandLine {
namespace {
QString commandLine;
}

void set(const QString& text) {
    commandLine = text;
}

void setFromArguments(const QStringList& arguments) {
    commandLine = arguments.join(u' ');
}

const QString& get() {
    return commandLine;
}

}  // namespace CommandLine
