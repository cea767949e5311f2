#include "common/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace HelpFile {

QString HelpFilePath() {
    return HelpFilePath(QCoreApplication::applicationDirPath());
}

QString HelpFilePath(const QString& programFolder) {
    const QDir folder(programFolder);
    const QStringList candidates{
        folder.filePath(kFileName),
        folder.filePath(QStringLiteral("../share/slidewright/") + kFileName),
    };
    for (const QString& candidate : candidates) {
        // A folder of that name is no help page.
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

}  // namespace HelpFile
