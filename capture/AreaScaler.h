#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <vector>

// Shrinks a picture by averaging, for each output pixel, the block of source
// pixels it covers. Rows are fed once each, top to bottom, so a decoder can
// hand them over straight from the file without building the full picture.
class AreaScaler {
public:
    // `target` is no larger than `source` in either direction and not empty.
    AreaScaler(QSize source, QSize target);

    // Source row from 24-bit blue-green-red triples, as a BMP stores them.
    void addRowBgr24(const uchar* row);
    // Source row of blue-green-red-unused quadruples, as a 32-bit BMP stores
    // them (no alignment needed).
    void addRowBgrx32(const uchar* row);
    // Source row of 0xAARRGGBB pixels; alpha is ignored.
    void addRowRgb32(const QRgb* row);
    // Source row of 1, 4 or 8-bit palette indices, most significant first.
    void addRowIndexed(const uchar* row, int bitsPerPixel, const std::vector<QRgb>& palette);

    // The shrunk picture once every source row has been added.
    QImage result() const { return target_; }

private:
    void finishRowIfComplete();

    QSize source_;
    QImage target_;
    std::vector<int> columnOf_;        // output column of each source column
    std::vector<int> columnWidth_;     // source columns per output column
    std::vector<int> rowEnd_;          // first source row after each output row
    std::vector<std::uint32_t> sums_;  // red, green, blue per output column
    std::vector<QRgb> expanded_;
    int sourceRow_ = 0;
    int targetRow_ = 0;
    int rowStart_ = 0;
};

// Shrinks (area average) or enlarges (smooth) `picture` to `size`.
QImage ScalePicture(const QImage& picture, QSize size);
