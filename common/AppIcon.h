#pragma once

#include <QIcon>
#include <QImage>

// The program's own icon, drawn rather than shipped so every size is sharp.
namespace AppIcon {

QImage render(int size);
QIcon programIcon();

}  // namespace AppIcon
