#pragma once

#include "moviefile/MovieDoc.h"

#include <QImage>
#include <QString>

#include <optional>

// The numbered pictures the capture window saves into the work folder, and
// where they go in the frame table.
namespace CaptureFiles {

// The highest capture number; "SW999.bmp" is the last name.
constexpr int kLastNumber = 999;

// "SW" + n in three digits + ".bmp".
QString CaptureFileName(int n);

// The first capture name, from SW001.bmp on, that nothing in the folder
// (file, folder or link) and no frame of the table uses yet; nothing when
// all 999 are taken.
std::optional<QString> FirstFreeName(const QString& folder, const MovieDoc& doc);

// Colours asked for by the window's colour option: 0 keeps the picture's
// own, 1 is 256 and 2 is 16.
int ColoursForOption(int option);

// Reduces the picture as the option asks and saves it at `path` through a
// temporary file, so a failure never leaves a partial picture there. False
// for an empty picture or any failure to write.
bool SaveCapture(QImage& picture, int option, const QString& path);

}  // namespace CaptureFiles
