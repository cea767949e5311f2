#pragma once

#include <QSize>

class QWidget;

// Device pixels for windows that show pictures at their own pixels.
namespace DevicePixels {

// The logical size that covers `deviceSize` at `ratio` device pixels per
// logical pixel: rounded up, so nothing of the picture is cut.
QSize CoveringSize(QSize deviceSize, qreal ratio);

// Makes a shown top-level window exactly `deviceSize` device pixels where
// the window system lets a program size its windows. At 2x or 1.5x a
// logical size cannot name every device size (811 pixels are 405.5 or
// 540.67 points); X11 takes the size in device pixels. Elsewhere the window
// keeps its covering size.
void FitWindow(QWidget* window, QSize deviceSize);

}  // namespace DevicePixels
