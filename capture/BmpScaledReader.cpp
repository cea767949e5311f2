#include "BmpScaledReader.h"

#include "capture/AreaScaler.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr qint64 kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionNone = 0;
// Far beyond any screen; keeps the size arithmetic well inside 64 bits.
constexpr std::int32_t kMaxSide = 1 << 16;

std::uint16_t u16(const uchar* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t u32(const uchar* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

BmpScaledReader::BmpScaledReader(const QString& path) : file_(path) {
    if (!file_.open(QIODevice::ReadOnly)) {
        return;
    }
    fileSize_ = file_.size();
    data_ = fileSize_ > 0 ? file_.map(0, fileSize_) : nullptr;
    mapped_ = data_ != nullptr;
    if (!mapped_) {
        copy_ = file_.readAll();
        data_ = reinterpret_cast<uchar*>(copy_.data());
        fileSize_ = copy_.size();
    }
    readLayout();
}

BmpScaledReader::BmpScaledReader(const QByteArray& bytes) : copy_(bytes) {
    data_ = reinterpret_cast<uchar*>(copy_.data());
    fileSize_ = copy_.size();
    readLayout();
}

BmpScaledReader::~BmpScaledReader() {
    if (mapped_) {
        file_.unmap(data_);
    }
}

void BmpScaledReader::readLayout() {
    const uchar* data = data_;
    if (fileSize_ < kFileHeaderSize + kInfoHeaderSize || data[0] != 'B' || data[1] != 'M') {
        return;
    }
    const uchar* info = data + kFileHeaderSize;
    const std::uint32_t infoSize = u32(info);
    const auto width = static_cast<std::int32_t>(u32(info + 4));
    const auto height = static_cast<std::int32_t>(u32(info + 8));
    const std::uint16_t planes = u16(info + 12);
    const std::uint16_t bits = u16(info + 14);
    const std::uint32_t compression = u32(info + 16);
    const std::uint32_t colorsUsed = u32(info + 32);
    // Larger headers may carry colour masks and alpha: Qt reads those.
    const bool plainHeader = infoSize == kInfoHeaderSize;
    const bool bitsHandled =
        bits == 1 || bits == 4 || bits == 8 || bits == 24 || (bits == 32 && plainHeader);
    if (infoSize < kInfoHeaderSize || infoSize > fileSize_ || planes != 1 || !bitsHandled ||
        compression != kCompressionNone || width <= 0 || width > kMaxSide || height == 0 ||
        height < -kMaxSide || height > kMaxSide) {
        return;
    }
    width_ = width;
    height_ = height < 0 ? -height : height;
    topDown_ = height < 0;
    bits_ = bits;
    stride_ = (static_cast<qint64>(width) * bits + 31) / 32 * 4;
    pixelOffset_ = u32(data + 10);
    if (pixelOffset_ < kFileHeaderSize + infoSize || pixelOffset_ + stride_ * height_ > fileSize_) {
        return;
    }
    if (bits <= 8) {
        const qint64 maxColors = qint64(1) << bits;
        const qint64 colors = colorsUsed == 0 ? maxColors : std::min<qint64>(colorsUsed, maxColors);
        const qint64 paletteOffset = kFileHeaderSize + infoSize;
        if (paletteOffset + colors * 4 > pixelOffset_) {
            return;
        }
        palette_.reserve(static_cast<size_t>(colors));
        for (qint64 i = 0; i < colors; ++i) {
            const uchar* entry = data + paletteOffset + i * 4;
            palette_.push_back(qRgb(entry[2], entry[1], entry[0]));
        }
    }
    valid_ = true;
}

QImage BmpScaledReader::readScaled(QSize crop, QSize size) const {
    if (!valid_ || crop.isEmpty() || size.isEmpty() || crop.width() > width_ ||
        crop.height() > height_ || size.width() > crop.width() || size.height() > crop.height()) {
        return {};
    }
    AreaScaler scaler(crop, size);
    for (int y = 0; y < crop.height(); ++y) {
        const qint64 fileRow = topDown_ ? y : height_ - 1 - y;
        const uchar* row = data_ + pixelOffset_ + fileRow * stride_;
        if (bits_ == 24) {
            scaler.addRowBgr24(row);
        } else if (bits_ == 32) {
            scaler.addRowBgrx32(row);
        } else {
            scaler.addRowIndexed(row, bits_, palette_);
        }
    }
    return scaler.result();
}
