#include "FrameFiles.h"

#include <QFileInfo>

namespace FrameFiles {

void ReleaseFile(const MovieDoc& doc, const QString& name, int slot, WorkFolderSession& files) {
    if (doc.namesFile(name, slot))
        return;
    // By record: a name from a script never reaches outside the folder, nor
    // at a file the program did not make.
    files.remove(name);
}

QString UnusedName(const MovieDoc& doc, const QString& folder, const QString& wanted) {
    auto isTaken = [&](const QString& name) {
        return doc.namesFile(name) || QFileInfo::exists(folder + u'/' + name);
    };
    if (!isTaken(wanted))
        return wanted;
    const int dot = wanted.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? wanted.left(dot) : wanted;
    const QString extension = dot > 0 ? wanted.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = stem + QLatin1Char('_') + QString::number(n) + extension;
        if (!isTaken(candidate))
            return candidate;
    }
}

}  // namespace FrameFiles
