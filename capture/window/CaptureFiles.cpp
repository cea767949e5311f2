#include "CaptureFiles.h"

#include "capture/MPIC_256GEN.h"

#include <QDir>
#include <QFileInfo>

namespace CaptureFiles {

QString CaptureFileName(int n) {
    return QStringLiteral("SW%1.bmp").arg(n, 3, 10, QLatin1Char('0'));
}

std::optional<QString> FirstFreeName(const QString& folder, const MovieDoc& doc) {
    const QDir dir(folder);
    for (int n = 1; n <= kLastNumber; ++n) {
        const QString name = CaptureFileName(n);
        // A folder or a dangling link of that name counts as taken too: a
        // save there would fail every time, or write where the link points.
        const QFileInfo entry(dir.filePath(name));
        if (entry.exists() || entry.isSymLink()) {
            continue;
        }
        // A frame may name a file that went missing; a capture must not
        // become that frame's picture as well.
        if (doc.namesFile(name)) {
            continue;
        }
        return name;
    }
    return std::nullopt;
}

int ColoursForOption(int option) {
    switch (option) {
        case 1:
            return 256;
        case 2:
            return 16;
        default:
            return 0;
    }
}

bool SaveCapture(QImage& picture, int option, const QString& path) {
    if (const int colours = ColoursForOption(option); colours != 0) {
        MPIC_256GEN::ReduceBoxColours(picture, colours);
    }
    return MPIC_256GEN::SaveBoxPicture(picture, path);
}

}  // namespace CaptureFiles
