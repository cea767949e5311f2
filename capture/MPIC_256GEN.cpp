#include "MPIC_256GEN.h"

#include "archiver/ReplaceByRename.h"
#include "capture/BmpFile.h"
#include "capture/ColourQuantiser.h"

#include <QFile>
#include <QFileInfo>

namespace MPIC_256GEN {

int BitsForColourCount(int colours) {
    switch (colours) {
        case 2:
            return 1;
        case 16:
            return 4;
        default:
            return 8;
    }
}

int PictureBitsPerPixel(const QImage& picture) {
    return BmpFile::BitsPerPixel(picture);
}

std::optional<QImage> ReduceBitmapColours(const QImage& picture, int colours) {
    if (picture.isNull()) {
        return std::nullopt;
    }
    const int bits = BitsForColourCount(colours);
    if (PictureBitsPerPixel(picture) <= bits) {
        return picture;
    }
    const int tableSize = 1 << bits;
    QImage reduced = ColourQuantiser::Quantise(picture, tableSize);
    if (reduced.isNull()) {
        return std::nullopt;
    }
    // A full table fixes the depth the picture is saved at, however few
    // colours it actually needed.
    QList<QRgb> table = reduced.colorTable();
    while (table.size() < tableSize) {
        table.append(qRgb(0, 0, 0));
    }
    if (bits == 1) {
        QImage mono(reduced.size(), QImage::Format_Mono);
        mono.setColorTable(table);
        for (int y = 0; y < reduced.height(); ++y) {
            const uchar* line = reduced.constScanLine(y);
            for (int x = 0; x < reduced.width(); ++x) {
                mono.setPixel(x, y, line[x]);
            }
        }
        return mono;
    }
    reduced.setColorTable(table);
    return reduced;
}

void ReduceBoxColours(QImage& box, int colours) {
    box = ReduceBitmapColours(box, colours).value_or(QImage());
}

bool SaveBoxPicture(const QImage& box, const QString& path) {
    const QByteArray bytes = BmpFile::Encode(box);
    const std::string target = QFile::encodeName(path).toStdString();
    auto file = ReplaceByRename::PendingFile::beside(target);
    return !bytes.isEmpty() && file.valid() && file.keepModeOf(target) &&
           file.write(bytes.constData(), static_cast<std::size_t>(bytes.size())) &&
           file.commit(QFile::encodeName(QFileInfo(path).fileName()).toStdString());
}

}  // namespace MPIC_256GEN
