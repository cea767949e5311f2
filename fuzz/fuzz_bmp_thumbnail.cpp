// The fast BMP reader on any bytes: pictures come from packages made
// elsewhere, so a damaged header must never read outside the file.
#include "editor/frames/BmpScaledReader.h"
#include "editor/frames/MPicSizeChg.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const BmpScaledReader reader(bytes);
    if (!reader.canRead()) {
        return 0;
    }
    // A small box, so that small inputs are shrunk too.
    MPicSizeChg::TargetBox box;
    box.outerTwips = box.innerTwips = QSize(300, 225);
    const MPicSizeChg::FitGeometry fit = MPicSizeChg::ComputeFit(reader.size(), box);
    const QSize scaled = fit.picture.size();
    if (!scaled.isEmpty() && scaled.width() <= fit.pictureCrop.width() &&
        scaled.height() <= fit.pictureCrop.height()) {
        const QImage thumbnail = reader.readScaled(fit.pictureCrop, scaled);
        if (thumbnail.size() != scaled) {
            __builtin_trap();
        }
    }
    return 0;
}
