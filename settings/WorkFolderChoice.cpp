#include "WorkFolderChoice.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace WorkFolderChoice {

bool SameFolder(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    return !first.isEmpty() && !second.isEmpty() &&
           ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && S_ISDIR(a.st_mode) &&
           a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Refusal Check(const QString& folder, const QString& saveFolder) {
    if (SameFolder(folder, QDir::homePath())) {
        return Refusal::Home;
    }
    if (SameFolder(folder, QDir::rootPath())) {
        return Refusal::Root;
    }
    if (SameFolder(folder, QFileInfo(SettingsFile::SettingsFilePath()).absolutePath())) {
        return Refusal::SettingsFolder;
    }
    if (SameFolder(folder, saveFolder)) {
        return Refusal::SaveFolder;
    }
    return Refusal::None;
}

}  // namespace WorkFolderChoice
