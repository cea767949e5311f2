#include "BmpFile.h"

#include <cstdint>

namespace {

void PutU16(QByteArray& out, qsizetype at, uint16_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8);
}

void PutU32(QByteArray& out, qsizetype at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

QRgb TableEntry(const QImage& picture, int index) {
    if (picture.format() == QImage::Format_Grayscale8) {
        return qRgb(index, index, index);
    }
    return index < picture.colorCount() ? picture.color(index) : qRgb(0, 0, 0);
}

}  // namespace

namespace BmpFile {

int BitsPerPixel(const QImage& picture) {
    switch (picture.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            return 1;
        case QImage::Format_Indexed8:
            return picture.colorCount() <= 16 ? 4 : 8;
        case QImage::Format_Grayscale8:
            return 8;
        default:
            return 24;
    }
}

QByteArray Encode(const QImage& picture) {
    if (picture.isNull()) {
        return {};
    }
    const int bits = BitsPerPixel(picture);
    // Mono pictures are read through pixelIndex, which is the same for both bit orders.
    const QImage source = bits == 24 ? picture.convertToFormat(QImage::Format_RGB32) : picture;
    const int width = source.width();
    const int height = source.height();
    const int tableSize = bits == 24 ? 0 : (1 << bits);
    const qsizetype rowBytes = ((static_cast<qsizetype>(width) * bits + 31) / 32) * 4;
    const qsizetype offset = 14 + 40 + 4 * static_cast<qsizetype>(tableSize);
    const qsizetype fileSize = offset + rowBytes * height;

    QByteArray out(fileSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out, 2, static_cast<uint32_t>(fileSize));
    PutU32(out, 10, static_cast<uint32_t>(offset));
    PutU32(out, 14, 40);
    PutU32(out, 18, static_cast<uint32_t>(width));
    PutU32(out, 22, static_cast<uint32_t>(height));  // positive: rows bottom-up
    PutU16(out, 26, 1);
    PutU16(out, 28, static_cast<uint16_t>(bits));
    PutU32(out, 34, static_cast<uint32_t>(rowBytes * height));
    for (int i = 0; i < tableSize; ++i) {
        const QRgb rgb = TableEntry(source, i);
        const qsizetype at = 54 + 4 * i;
        out[at] = static_cast<char>(qBlue(rgb));
        out[at + 1] = static_cast<char>(qGreen(rgb));
        out[at + 2] = static_cast<char>(qRed(rgb));
    }

    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uchar*>(out.data()) + offset + rowBytes * (height - 1 - y);
        if (bits == 24) {
            const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                row[3 * x] = static_cast<uchar>(qBlue(line[x]));
                row[3 * x + 1] = static_cast<uchar>(qGreen(line[x]));
                row[3 * x + 2] = static_cast<uchar>(qRed(line[x]));
            }
        } else if (bits == 8) {
            const uchar* line = source.constScanLine(y);
            std::copy(line, line + width, row);
        } else if (bits == 4) {
            const uchar* line = source.constScanLine(y);
            for (int x = 0; x < width; ++x) {
                const uchar index = line[x] & 0x0F;
                row[x / 2] |= (x % 2 == 0) ? static_cast<uchar>(index << 4) : index;
            }
        } else {
            for (int x = 0; x < width; ++x) {
                if (source.pixelIndex(x, y) != 0) {
                    row[x / 8] |= static_cast<uchar>(0x80 >> (x % 8));
                }
            }
        }
    }
    return out;
}

}  // namespace BmpFile
