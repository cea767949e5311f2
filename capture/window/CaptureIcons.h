#pragma once

#include <QIcon>

// The capture window's button pictures, drawn rather than shipped so they
// stay crisp at any scale. Qt greys them itself on a disabled button.
namespace CaptureIcons {

QIcon record();
QIcon pause();
QIcon stop();

}  // namespace CaptureIcons
