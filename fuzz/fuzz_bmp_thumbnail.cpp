// The fast BMP reader on any bytes: pictures come from packages made
// elsewhere, so a damaged header must never read outside the file.
#include "capture/BmpScaledReader.h"
#include "fuzz/FuzzCheck.h"

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const BmpScaledReader reader(bytes);
    if (!reader.canRead() || size == 0) {
        return 0;
    }
    // A part and a shrink the input's last byte chooses, as a thumbnail of
    // any box would ask for.
    const int shrink = 1 + data[size - 1] % 8;
    const QSize crop(std::max(1, reader.size().width() - data[size - 1] % 3),
                     std::max(1, reader.size().height() - data[size - 1] % 5));
    const QSize scaled(std::max(1, crop.width() / shrink), std::max(1, crop.height() / shrink));
    const QImage thumbnail = reader.readScaled(crop, scaled);
    FuzzCheck(thumbnail.isNull() || thumbnail.size() == scaled);
    return 0;
}
