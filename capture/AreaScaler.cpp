#include "AreaScaler.h"

#include <algorithm>

namespace {

// First source index covered by output index i.
int blockStart(qint64 i, qint64 sourceLength, qint64 targetLength) {
    return static_cast<int>(i * sourceLength / targetLength);
}

}  // namespace

AreaScaler::AreaScaler(QSize source, QSize target)
    : source_(source), target_(target, QImage::Format_RGB32) {
    columnWidth_.resize(static_cast<size_t>(target.width()));
    for (int ox = 0; ox < target.width(); ++ox) {
        const int start = blockStart(ox, source.width(), target.width());
        const int end = blockStart(ox + 1, source.width(), target.width());
        columnWidth_[static_cast<size_t>(ox)] = end - start;
    }
    rowEnd_.resize(static_cast<size_t>(target.height()));
    for (int oy = 0; oy < target.height(); ++oy) {
        rowEnd_[static_cast<size_t>(oy)] = blockStart(oy + 1, source.height(), target.height());
    }
    sums_.assign(static_cast<size_t>(target.width()) * 3, 0);
    expanded_.resize(static_cast<size_t>(source.width()));
}

namespace {

// Sums one source row into the output columns' red, green and blue totals.
// Each block is summed in registers before it is added to its column.
template <int Step, int Red, int Green, int Blue>
void sumRow(const uchar* row, const std::vector<int>& columnWidth, std::uint32_t* sums) {
    const int columns = static_cast<int>(columnWidth.size());
    for (int ox = 0; ox < columns; ++ox) {
        std::uint32_t red = 0;
        std::uint32_t green = 0;
        std::uint32_t blue = 0;
        for (int k = columnWidth[static_cast<size_t>(ox)]; k > 0; --k) {
            red += row[Red];
            green += row[Green];
            blue += row[Blue];
            row += Step;
        }
        sums[0] += red;
        sums[1] += green;
        sums[2] += blue;
        sums += 3;
    }
}

}  // namespace

void AreaScaler::addRowBgr24(const uchar* row) {
    sumRow<3, 2, 1, 0>(row, columnWidth_, sums_.data());
    finishRowIfComplete();
}

void AreaScaler::addRowBgrx32(const uchar* row) {
    sumRow<4, 2, 1, 0>(row, columnWidth_, sums_.data());
    finishRowIfComplete();
}

void AreaScaler::addRowRgb32(const QRgb* row) {
    // A QRgb in memory is blue, green, red, alpha on this little-endian
    // platform, as a 32-bit BMP stores its pixels.
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    sumRow<4, 2, 1, 0>(reinterpret_cast<const uchar*>(row), columnWidth_, sums_.data());
    finishRowIfComplete();
}

void AreaScaler::addRowIndexed(const uchar* row, int bitsPerPixel,
                               const std::vector<QRgb>& palette) {
    // Indices past the palette take its last colour, as Qt's own conversion
    // does, so both ways of reading a file give the same thumbnail.
    const int last = static_cast<int>(palette.size()) - 1;
    const int perByte = 8 / bitsPerPixel;
    const int mask = (1 << bitsPerPixel) - 1;
    for (int x = 0; x < source_.width(); ++x) {
        const int shift = 8 - bitsPerPixel * (x % perByte + 1);
        const int index = (row[x / perByte] >> shift) & mask;
        expanded_[static_cast<size_t>(x)] =
            last < 0 ? qRgb(0, 0, 0) : palette[static_cast<size_t>(std::min(index, last))];
    }
    addRowRgb32(expanded_.data());
}

void AreaScaler::finishRowIfComplete() {
    ++sourceRow_;
    if (targetRow_ >= target_.height() || sourceRow_ < rowEnd_[static_cast<size_t>(targetRow_)]) {
        return;
    }
    const std::uint32_t rows = static_cast<std::uint32_t>(sourceRow_ - rowStart_);
    auto* out = reinterpret_cast<QRgb*>(target_.scanLine(targetRow_));
    for (int ox = 0; ox < target_.width(); ++ox) {
        const std::uint32_t count =
            rows * static_cast<std::uint32_t>(columnWidth_[static_cast<size_t>(ox)]);
        std::uint32_t* sum = sums_.data() + 3 * ox;
        const std::uint32_t half = count / 2;
        out[ox] = qRgb(static_cast<int>((sum[0] + half) / count),
                       static_cast<int>((sum[1] + half) / count),
                       static_cast<int>((sum[2] + half) / count));
    }
    std::fill(sums_.begin(), sums_.end(), 0);
    rowStart_ = sourceRow_;
    ++targetRow_;
}

QImage ScalePicture(const QImage& picture, QSize size) {
    if (picture.isNull() || size.isEmpty()) {
        return {};
    }
    if (size == picture.size()) {
        return picture.convertToFormat(QImage::Format_RGB32);
    }
    if (size.width() > picture.width() || size.height() > picture.height()) {
        return picture.convertToFormat(QImage::Format_RGB32)
            .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    AreaScaler scaler(rgb.size(), size);
    for (int y = 0; y < rgb.height(); ++y) {
        scaler.addRowRgb32(reinterpret_cast<const QRgb*>(rgb.constScanLine(y)));
    }
    return scaler.result();
}
