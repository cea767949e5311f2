#include "EditorIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace EditorIcons {
namespace {

const QColor kInk(0x2b, 0x31, 0x3d);
const QColor kPaper(0xfb, 0xfc, 0xfe);
const QColor kFolder(0xf0, 0xb4, 0x3c);
const QColor kBlue(0x2a, 0x6f, 0xd6);
const QColor kRed(0xd8, 0x3a, 0x32);
const QColor kGreen(0x2e, 0x9b, 0x4f);

void page(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(5, 2);
    sheet.lineTo(14, 2);
    sheet.lineTo(19, 7);
    sheet.lineTo(19, 22);
    sheet.lineTo(5, 22);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawLine(QPointF(14, 2), QPointF(14, 7));
    p.drawLine(QPointF(14, 7), QPointF(19, 7));
}

void folder(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kFolder.darker(115));
    p.drawRoundedRect(QRectF(2, 6, 20, 15), 1.5, 1.5);
    p.drawRoundedRect(QRectF(2, 4, 8, 4), 1, 1);
    p.setBrush(kFolder);
    QPainterPath front;
    front.moveTo(4, 10);
    front.lineTo(23, 10);
    front.lineTo(21, 21);
    front.lineTo(2, 21);
    front.closeSubpath();
    p.drawPath(front);
}

void disk(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(7, 3, 10, 6));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(6, 13, 12, 8), 1, 1);
    p.setPen(QPen(kBlue, 1.2));
    p.drawLine(QPointF(14, 4.5), QPointF(14, 7.5));
}

void pencil(QPainter& p) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(0xf6, 0xd3, 0x65));
    QPainterPath body;
    body.moveTo(13, 23);
    body.lineTo(14, 19);
    body.lineTo(22, 11);
    body.lineTo(25, 14);
    body.lineTo(17, 22);
    body.closeSubpath();
    p.drawPath(body);
}

void draw(QPainter& p, Kind kind) {
    switch (kind) {
        case Kind::New: {
            page(p);
            p.setPen(QPen(kGreen, 2.2));
            p.drawLine(QPointF(12, 11), QPointF(12, 19));
            p.drawLine(QPointF(8, 15), QPointF(16, 15));
            break;
        }
        case Kind::Open:
            folder(p);
            break;
        case Kind::Save:
            disk(p);
            break;
        case Kind::SaveAs:
            p.save();
            p.scale(0.85, 0.85);
            disk(p);
            p.restore();
            pencil(p);
            break;
        case Kind::OpenFolder: {
            folder(p);
            p.setPen(QPen(kBlue, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawLine(QPointF(8, 18), QPointF(16, 12));
            p.drawLine(QPointF(12, 12), QPointF(16, 12));
            p.drawLine(QPointF(16, 12), QPointF(16, 16));
            break;
        }
        case Kind::Capture: {
            // A screen with a record mark.
            p.setPen(QPen(kInk, 1.2));
            p.setBrush(QColor(0xdc, 0xe6, 0xf5));
            p.drawRoundedRect(QRectF(2, 4, 20, 14), 1.5, 1.5);
            p.drawLine(QPointF(12, 18), QPointF(12, 21));
            p.drawLine(QPointF(7, 21.5), QPointF(17, 21.5));
            p.setPen(Qt::NoPen);
            p.setBrush(kRed);
            p.drawEllipse(QPointF(12, 11), 4, 4);
            break;
        }
        case Kind::Preview: {
            p.setPen(QPen(kInk, 1.2));
            p.setBrush(kGreen);
            p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
            QPainterPath play;
            play.moveTo(9.5, 7);
            play.lineTo(17, 12);
            play.lineTo(9.5, 17);
            play.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPath(play);
            break;
        }
        case Kind::Options: {
            // A gear: eight teeth round a ring.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x5b, 0x65, 0x77));
            p.translate(12, 12);
            for (int i = 0; i < 8; ++i) {
                p.drawRoundedRect(QRectF(-2, -10.5, 4, 5), 1, 1);
                p.rotate(45);
            }
            p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
            p.setBrush(kPaper);
            p.drawEllipse(QPointF(0, 0), 3, 3);
            break;
        }
    }
}

QPixmap render(Kind kind, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    draw(painter, kind);
    return pixmap;
}

}  // namespace

QIcon icon(Kind kind) {
    QIcon result;
    for (int size : {16, 20, 24, 32, 48}) {
        result.addPixmap(render(kind, size));
    }
    return result;
}

// Black shapes on a clear ground, so the button's own colour shows round
// them as on any push button.
QPixmap soundPlay() {
    QPixmap pixmap(15, 13);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath play;
    play.moveTo(4, 1.5);
    play.lineTo(12.5, 6.5);
    play.lineTo(4, 11.5);
    play.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(play);
    return pixmap;
}

QPixmap soundStop() {
    QPixmap pixmap(15, 13);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRect(3, 2, 9, 9));
    return pixmap;
}

}  // namespace EditorIcons
