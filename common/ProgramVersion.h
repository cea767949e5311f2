#pragma once

#include <QString>

// The program's version as users see it: "3.01", the minor version always
// in two digits. Known to every layer, so the command line can print it
// without a display.
namespace ProgramVersion {

inline QString text() {
    return QStringLiteral("%1.%2")
        .arg(SLIDEWRIGHT_VERSION_MAJOR)
        .arg(SLIDEWRIGHT_VERSION_MINOR, 2, 10, QChar(u'0'));
}

}  // namespace ProgramVersion
