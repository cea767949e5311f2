#pragma once

#include <QByteArray>
#include <QImage>

// Uncompressed, bottom-up Windows BMP files of 1, 4, 8 or 24 bits per pixel.
namespace BmpFile {

// The depth a picture is stored at: an indexed picture with a table of at
// most 2 entries (in a 1-bit format) is 1 bit, at most 16 entries 4 bits,
// other indexed or grey pictures 8 bits, and anything else 24 bits.
int BitsPerPixel(const QImage& picture);

// The whole file. The colour table always has 2, 16 or 256 entries, so an
// 8-bit picture's pixels start at offset 1078 and a 4-bit one's at 118.
// A null picture gives an empty array.
QByteArray Encode(const QImage& picture);

}  // namespace BmpFile
