#include "FrameFiles.h"

#include "WorkFolder.h"

#include <QFileInfo>

namespace FrameFiles {

bool IsNamedByOtherFrame(const MovieDoc& doc, const QString& name, int slot) {
    if (name.isEmpty())
        return false;
    for (int i = 1; i <= doc.lastSlot(); ++i) {
        if (i == slot)
            continue;
        const FrameEntry& f = doc.frames[static_cast<size_t>(i)];
        if (f.pictureFile == name || f.soundFile == name)
            return true;
    }
    return false;
}

void ReleaseFile(const MovieDoc& doc, const QString& name, int slot, WorkFolderSession& files) {
    if (IsNamedByOtherFrame(doc, name, slot))
        return;
    // By record: a name from a script never reaches outside the folder, nor
    // at a file the program did not make.
    files.remove(name);
}

static bool isTaken(const MovieDoc& doc, const QString& name) {
    return IsNamedByOtherFrame(doc, name, 0) || QFileInfo::exists(WorkFolder::filePath(name));
}

QString UnusedName(const MovieDoc& doc, const QString& wanted) {
    if (!isTaken(doc, wanted))
        return wanted;
    const int dot = wanted.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? wanted.left(dot) : wanted;
    const QString extension = dot > 0 ? wanted.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = stem + QLatin1Char('_') + QString::number(n) + extension;
        if (!isTaken(doc, candidate))
            return candidate;
    }
}

}  // namespace FrameFiles
