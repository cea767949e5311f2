#include "ProgressBox.h"

#include <QPainter>

ProgressBox::ProgressBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}

void ProgressBox::clear() {
    picture_ = QImage();
    update();
}

void ProgressBox::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

QSize ProgressBox::sizeHint() const {
    // 2775 x 375 twips, the toolbar's progress box.
    return {185, 25};
}

void ProgressBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), picture_);
}
