#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

// Reads an uncompressed BMP (1, 4, 8, 24 or 32 bits a pixel) straight into a
// shrunk picture, without building the full-size one. Other files and forms
// are left to Qt's reader.
class BmpScaledReader {
public:
    explicit BmpScaledReader(const QString& path);
    // Reads a BMP already in memory.
    explicit BmpScaledReader(const QByteArray& bytes);
    ~BmpScaledReader();
    BmpScaledReader(const BmpScaledReader&) = delete;
    BmpScaledReader& operator=(const BmpScaledReader&) = delete;

    // False for files this reader leaves to Qt, and for damaged ones.
    bool canRead() const { return valid_; }
    QSize size() const { return {width_, height_}; }

    // The part of the picture from (0, 0) of size `crop`, shrunk to `size`
    // (no larger than `crop`); a null image when that cannot be done.
    QImage readScaled(QSize crop, QSize size) const;

private:
    void readLayout();

    QFile file_;
    QByteArray copy_;
    uchar* data_ = nullptr;
    qint64 fileSize_ = 0;
    bool mapped_ = false;

    bool valid_ = false;
    int width_ = 0;
    int height_ = 0;
    bool topDown_ = false;
    int bits_ = 0;
    qint64 stride_ = 0;
    qint64 pixelOffset_ = 0;
    std::vector<QRgb> palette_;
};
