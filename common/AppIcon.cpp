#include "AppIcon.h"

#include <QPainter>
#include <QPainterPath>

namespace AppIcon {

QImage render(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // A slide in a film frame: a dark strip with sprocket holes and a
    // blue picture carrying a play mark.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x26, 0x2b, 0x38));
    painter.drawRoundedRect(QRectF(4, 8, 56, 48), 6, 6);
    painter.setBrush(QColor(0xe8, 0xec, 0xf2));
    for (int i = 0; i < 5; ++i) {
        painter.drawRoundedRect(QRectF(9 + i * 10.5, 11, 5, 4), 1, 1);
        painter.drawRoundedRect(QRectF(9 + i * 10.5, 49, 5, 4), 1, 1);
    }
    QLinearGradient sky(0, 18, 0, 46);
    sky.setColorAt(0, QColor(0x4f, 0x9c, 0xf0));
    sky.setColorAt(1, QColor(0x1c, 0x5f, 0xc4));
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(8, 18, 48, 28), 3, 3);
    QPainterPath play;
    play.moveTo(27, 24);
    play.lineTo(41, 32);
    play.lineTo(27, 40);
    play.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(play);
    return image;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(render(size)));
    }
    return icon;
}

}  // namespace AppIcon
