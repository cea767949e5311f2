#include "MTSK_Path.h"

#include "common/DefaultApplication.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace MTSK_Path {

QStringList FindAssociatedProgram(const QString& path) {
    const QFileInfo file(path);
    if (!file.isFile()) {
        return {};
    }
    const QString absolute = file.absoluteFilePath();
    const auto entry = DefaultApplication::forFile(absolute);
    if (!entry) {
        return {};
    }
    QStringList command = DefaultApplication::commandFor(*entry, absolute);
    if (command.isEmpty()) {
        return {};
    }
    if (!command.first().contains(u'/')) {
        const QString program = QStandardPaths::findExecutable(command.first());
        if (program.isEmpty()) {
            return {};
        }
        command.first() = program;
    }
    return command;
}

}  // namespace MTSK_Path
