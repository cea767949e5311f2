#include "MFIL_CHK2.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace MFIL_CHK2 {

bool ProgramFileExists(const QStringList& commandLine) {
    if (commandLine.isEmpty() || commandLine.first().isEmpty()) {
        return false;
    }
    const QString& program = commandLine.first();
    if (program.contains(u'/')) {
        return QFileInfo(program).isFile();
    }
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace MFIL_CHK2
