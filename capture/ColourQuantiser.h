#pragma once

#include <QImage>

// Reduces a full-colour picture to an indexed one of at most a given number
// of colours, choosing the colour table to keep the squared error low.
namespace ColourQuantiser {

// Returns a Format_Indexed8 picture whose colour table holds only the
// colours used (at most maxColours, 2..256). A picture that already has no
// more colours than that is reproduced exactly. A null source gives a null
// picture.
QImage Quantise(const QImage& source, int maxColours);

}  // namespace ColourQuantiser
