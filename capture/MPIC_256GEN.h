// MPIC_256GEN (256-colour picture generation): reduces a capture's colours, saves it as a BMP.
#pragma once

#include <QImage>
#include <QString>

#include <optional>

// A "box" is the picture a window holds between capturing and saving it;
// a null picture is an empty box. Pictures are saved at their own depth.
namespace MPIC_256GEN {

// 2 colours are 1 bit per pixel, 16 are 4, anything else 8.
int BitsForColourCount(int colours);

// The depth the picture would be saved at (24 for a full-colour capture).
int PictureBitsPerPixel(const QImage& picture);

// A picture of at most `colours` colours held in a colour table of 2, 16 or
// 256 entries; the same picture when it is already at or below that depth;
// nothing for an empty picture.
std::optional<QImage> ReduceBitmapColours(const QImage& picture, int colours);

// Replaces the box's picture by its reduction (an empty box when that fails).
void ReduceBoxColours(QImage& box, int colours);

// Writes the box's picture as an uncompressed BMP at its own depth. False
// for an empty box or any failure to write; a failed write leaves no file.
// A picture written over another keeps that file's permissions.
bool SaveBoxPicture(const QImage& box, const QString& path);

}  // namespace MPIC_256GEN
