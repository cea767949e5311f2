#include "MPicSizeChg.h"
#include "common/Twips.h"

#include "capture/AreaScaler.h"
#include "capture/BmpScaledReader.h"

#include <QImageReader>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace MPicSizeChg {

namespace {

// Rounds half to even, the rounding of every conversion in the fitting.
std::int64_t roundEven(double value) {
    return static_cast<std::int64_t>(std::nearbyint(value));
}

int toInt16(double value) {
    const std::int64_t rounded = roundEven(value);
    return static_cast<int>(std::clamp<std::int64_t>(rounded,
                                                     std::numeric_limits<std::int16_t>::min(),
                                                     std::numeric_limits<std::int16_t>::max()));
}

int toDrawPixels(double twips) {
    return static_cast<int>(roundEven(twips / kDrawTwipsPerPixel));
}

QImage drawThumbnail(const QImage& scaledPicture, const FitGeometry& fit, const TargetBox& box) {
    QImage thumbnail(box.pixelSize(), QImage::Format_RGB32);
    thumbnail.fill(box.background);
    QPainter painter(&thumbnail);
    painter.drawImage(fit.picture.topLeft(), scaledPicture);
    return thumbnail;
}

}  // namespace

QSize TargetBox::pixelSize() const {
    return {static_cast<int>(roundEven(double(innerTwips.width()) / Twips::kPerPixel)),
            static_cast<int>(roundEven(double(innerTwips.height()) / Twips::kPerPixel))};
}

FitGeometry ComputeFit(QSize picturePixels, const TargetBox& box) {
    FitGeometry fit;
    if (picturePixels.isEmpty() || box.innerTwips.isEmpty() || box.outerTwips.isEmpty()) {
        return fit;
    }
    // The picture box holding the picture has no border: its outer size is
    // the picture's.
    const std::int64_t w0 = std::int64_t(picturePixels.width()) * Twips::kPerPixel;
    const std::int64_t h0 = std::int64_t(picturePixels.height()) * Twips::kPerPixel;
    const std::int64_t sw = w0 + kMarginTwips;
    const std::int64_t sh = h0 + kMarginTwips;

    const auto rx = static_cast<float>(double(box.innerTwips.width()) / double(w0));
    const auto ry = static_cast<float>(double(box.innerTwips.height()) / double(h0));
    fit.scale = rx > ry ? ry : rx;

    // The scale comes from the size without the margin but is applied to the
    // size with it, so the drawing runs a little past the tighter side.
    const std::int64_t dw = roundEven(double(fit.scale) * double(sw));
    const std::int64_t dh = roundEven(double(fit.scale) * double(sh));
    fit.drawnTwips = QSize(static_cast<int>(dw), static_cast<int>(dh));

    const int x =
        std::max(0, toInt16(double(box.outerTwips.width() - dw) / 2 / kDrawTwipsPerPixel));
    const int y =
        std::max(0, toInt16(double(box.outerTwips.height() - dh) / 2 / kDrawTwipsPerPixel));
    fit.destination = QRect(x, y, toDrawPixels(double(dw)), toDrawPixels(double(dh)));
    fit.sourcePixels = QSize(toDrawPixels(double(sw)), toDrawPixels(double(sh)));
    if (fit.destination.isEmpty() || fit.sourcePixels.isEmpty()) {
        return fit;
    }

    // The block copied from the picture is the picture plus the margin at
    // this coarser pixel size: it may reach past the picture (the margin,
    // shown in the box's colour) or stop short of its right and bottom edges.
    fit.pictureCrop = QSize(std::min(picturePixels.width(), fit.sourcePixels.width()),
                            std::min(picturePixels.height(), fit.sourcePixels.height()));
    const double sx = double(fit.destination.width()) / fit.sourcePixels.width();
    const double sy = double(fit.destination.height()) / fit.sourcePixels.height();
    fit.picture = QRect(x, y, static_cast<int>(roundEven(fit.pictureCrop.width() * sx)),
                        static_cast<int>(roundEven(fit.pictureCrop.height() * sy)));
    return fit;
}

QImage FitPictureToBox(const QImage& picture, const TargetBox& box) {
    if (picture.isNull() || box.pixelSize().isEmpty()) {
        return {};
    }
    const FitGeometry fit = ComputeFit(picture.size(), box);
    if (fit.picture.isEmpty()) {
        QImage empty(box.pixelSize(), QImage::Format_RGB32);
        empty.fill(box.background);
        return empty;
    }
    const QImage cropped = fit.pictureCrop == picture.size()
                               ? picture
                               : picture.copy(QRect(QPoint(0, 0), fit.pictureCrop));
    return drawThumbnail(ScalePicture(cropped, fit.picture.size()), fit, box);
}

QImage LoadThumbnail(const QString& path, const TargetBox& box, bool allowFastReader) {
    if (box.pixelSize().isEmpty()) {
        return {};
    }
    if (allowFastReader) {
        const BmpScaledReader reader(path);
        if (reader.canRead()) {
            const FitGeometry fit = ComputeFit(reader.size(), box);
            const QSize scaled = fit.picture.size();
            if (!scaled.isEmpty() && scaled.width() <= fit.pictureCrop.width() &&
                scaled.height() <= fit.pictureCrop.height()) {
                const QImage shrunk = reader.readScaled(fit.pictureCrop, scaled);
                if (!shrunk.isNull()) {
                    return drawThumbnail(shrunk, fit, box);
                }
            }
        }
    }
    QImageReader reader(path);
    reader.setAutoTransform(false);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        return {};
    }
    return FitPictureToBox(picture, box);
}

}  // namespace MPicSizeChg
