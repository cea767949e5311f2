#pragma once

#include <QDateTime>
#include <QString>

// Pictures coming into the work folder from outside (a drop, an external
// edit) as PNG or JPEG become 24-bit BMP pictures there, so that a package
// only ever holds BMP pictures and every reader of the format opens it.
namespace PictureImport {

// A name a picture drop takes: .bmp, .png, .jpg or .jpeg, in any case.
bool IsPictureName(const QString& path);

// The name a picture keeps in the work folder: its own for a .bmp, else
// the same name ending in .bmp ("photo.png" is "photo.bmp").
QString BmpName(const QString& fileName);

// Makes the file at `path` a BMP file: left as it is when it already is
// one, else rewritten, in one step, as a 24-bit BMP of its picture (turned
// upright as its camera said; transparency over white). False, with the
// file untouched, when it holds no picture we can read.
bool MakeBmp(const QString& path);

// After an external edit of the picture at `bmpPath`, begun at `since`:
// a PNG or JPEG the editing program saved beside it under the same name
// becomes the picture (picture editors often save only their own
// formats); else the picture itself is made a BMP again if the program
// wrote another format into it. True when the file at `bmpPath` is a BMP
// picture afterwards.
bool TakeEditedPicture(const QString& bmpPath, const QDateTime& since);

}  // namespace PictureImport
