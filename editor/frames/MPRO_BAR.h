// MPRO_BAR (progress bar): draws the percentage bar of long editor operations.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

class ProgressBox;

// The progress bar of long editor operations: navy filling from the left on
// white, the percentage centred, white where it lies over the bar.
namespace MPRO_BAR {

inline constexpr QRgb kBarColor = 0xff000080;         // navy
inline constexpr QRgb kBackgroundColor = 0xffffffff;  // white

// The bar for `percent` on an inner area of `size`, its text in `font`.
// Values above 100 fill the whole bar and still show their own number.
// At `ratio` device pixels per pixel, for a scaled screen.
QImage DrawProgress(QSize size, int percent, const QFont& font, qreal ratio = 1);

// Draws the bar for `percent` into `box` in the box's font and repaints it.
void ShowProgress(ProgressBox* box, int percent);

}  // namespace MPRO_BAR
