#include "CaptureIcons.h"

#include <QPainter>

#include <functional>

namespace CaptureIcons {
namespace {

const QColor kInk(0x2b, 0x31, 0x3d);
const QColor kRed(0xd8, 0x3a, 0x32);

// Drawn on a 16 x 16 grid, scaled to each size the icon offers.
QIcon drawn(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon record() {
    return drawn([](QPainter& p) {
        p.setPen(QPen(kRed.darker(130), 0.8));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(8, 8), 5.6, 5.6);
    });
}

QIcon pause() {
    return drawn([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(3.5, 2.5, 3.4, 11), 0.8, 0.8);
        p.drawRoundedRect(QRectF(9.1, 2.5, 3.4, 11), 0.8, 0.8);
    });
}

QIcon stop() {
    return drawn([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRoundedRect(QRectF(3, 3, 10, 10), 1, 1);
    });
}

}  // namespace CaptureIcons
