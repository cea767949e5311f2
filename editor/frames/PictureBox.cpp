#include "PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

// A quiet grey line on all four sides: a row of boxes reads as five boxes.
const QColor kBorderColour(0xa8, 0xa8, 0xa8);

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
}

QColor PictureBox::background() const {
    return palette().color(QPalette::Window);
}

void PictureBox::clear() {
    picture_ = QImage();
    printedText_.clear();
    update();
}

void PictureBox::setPicture(const QImage& picture) {
    picture_ = picture;
    printedText_.clear();
    update();
}

void PictureBox::printText(QPoint position, const QString& text) {
    if (picture_.isNull()) {
        const qreal ratio = devicePixelRatioF();
        picture_ = QImage(contentsRect().size() * ratio, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
        picture_.fill(background());
    }
    QPainter painter(&picture_);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(position, picture_.deviceIndependentSize().toSize()),
                     Qt::AlignLeft | Qt::AlignTop, text);
    printedText_ += text;
    update();
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(kBorderColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!picture_.isNull()) {
        painter.drawImage(contentsRect().topLeft(), picture_);
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseReleased(event->button(), event->globalPosition().toPoint());
    QFrame::mouseReleaseEvent(event);
}
