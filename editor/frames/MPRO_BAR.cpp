#include "MPRO_BAR.h"

#include "editor/frames/ProgressBox.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace MPRO_BAR {

QImage DrawProgress(QSize size, int percent, const QFont& font, qreal ratio) {
    if (size.isEmpty()) {
        return {};
    }
    const float fraction = std::min(static_cast<float>(percent) / 100.0f, 1.0f);
    const QString text = QString::number(percent) + u'%';
    const int width = size.width();
    const int height = size.height();
    const int barEnd =
        std::clamp(static_cast<int>(std::nearbyint(fraction * float(width))), 0, width);

    QImage image(size * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(kBackgroundColor);
    QPainter painter(&image);

    // Unsmoothed text keeps every glyph pixel pure navy, so the inversion
    // below turns it pure white over the bar.
    QFont textFont = font;
    textFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(textFont);
    painter.setPen(QColor::fromRgb(kBarColor));
    const QFontMetrics metrics(textFont);
    const int x = static_cast<int>(std::nearbyint((width - metrics.horizontalAdvance(text)) / 2.0));
    const int y = static_cast<int>(std::nearbyint((height - metrics.height()) / 2.0));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);

    // Not-XOR with navy: white becomes navy and navy becomes white.
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.fillRect(QRect(0, 0, barEnd, height), QColor::fromRgb(kBarColor));
    painter.end();
    return image;
}

void ShowProgress(ProgressBox* box, int percent) {
    if (box == nullptr) {
        return;
    }
    box->setPicture(
        DrawProgress(box->contentsRect().size(), percent, box->font(), box->devicePixelRatioF()));
    box->repaint();
}

}  // namespace MPRO_BAR
