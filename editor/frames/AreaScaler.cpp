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
    columnOf_.resize(static_cast<size_t>(source.width()));
    columnWidth_.resize(static_cast<size_t>(target.width()));
    for (int ox = 0; ox < target.width(); ++ox) {
        const int start = blockStart(ox, source.width(), target.width());
        const int end = blockStart(ox + 1, source.width(), target.width());
        columnWidth_[static_cast<size_t>(ox)] = end - start;
        std::fill(columnOf_.begin() + start, columnOf_.begin() + end, ox);
    }
    rowEnd_.resize(static_cast<size_t>(target.height()));
    for (int oy = 0; oy < target.height(); ++oy) {
        rowEnd_[static_cast<size_t>(oy)] = blockStart(oy + 1, source.height(), target.height());
    }
    sums_.assign(static_cast<size_t>(target.width()) * 3, 0);
    expanded_.resize(static_cast<size_t>(source.width()));
}

void AreaScaler::addRowBgr24(const uchar* row) {
    std::uint32_t* sums = sums_.data();
    const int* columnOf = columnOf_.data();
    for (int x = 0; x < source_.width(); ++x) {
        std::uint32_t* sum = sums + 3 * columnOf[x];
        sum[0] += row[2];
        sum[1] += row[1];
        sum[2] += row[0];
        row += 3;
    }
    finishRowIfComplete();
}

void AreaScaler::addRowBgrx32(const uchar* row) {
    std::uint32_t* sums = sums_.data();
    const int* columnOf = columnOf_.data();
    for (int x = 0; x < source_.width(); ++x) {
        std::uint32_t* sum = sums + 3 * columnOf[x];
        sum[0] += row[2];
        sum[1] += row[1];
        sum[2] += row[0];
        row += 4;
    }
    finishRowIfComplete();
}

void AreaScaler::addRowRgb32(const QRgb* row) {
    std::uint32_t* sums = sums_.data();
    const int* columnOf = columnOf_.data();
    for (int x = 0; x < source_.width(); ++x) {
        std::uint32_t* sum = sums + 3 * columnOf[x];
        const QRgb pixel = row[x];
        sum[0] += qRed(pixel);
        sum[1] += qGreen(pixel);
        sum[2] += qBlue(pixel);
    }
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
