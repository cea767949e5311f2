#pragma once
// A window of known colours for screen copies: two halves, a green block
// and a white corner square, so a shifted, cut or covered copy shows.

#include <QImage>
#include <QPainter>
#include <QWidget>

class Swatch : public QWidget {
public:
    explicit Swatch(const QString& title, QRgb left = qRgb(220, 30, 40),
                    QRgb right = qRgb(20, 80, 230))
        : left_(left), right_(right) {
        setWindowTitle(title);
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(320, 200);
    }

    QRgb expected(int x, int y) const {
        if (QRect(20, 20, 40, 30).contains(x, y)) {
            return qRgb(0, 255, 0);
        }
        if (QRect(width() - 30, height() - 30, 10, 10).contains(x, y)) {
            return qRgb(255, 255, 255);
        }
        return x < width() / 2 ? left_ : right_;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(0, 0, width() / 2, height(), QColor(left_));
        painter.fillRect(width() / 2, 0, width() - width() / 2, height(), QColor(right_));
        painter.fillRect(20, 20, 40, 30, QColor(0, 255, 0));
        painter.fillRect(width() - 30, height() - 30, 10, 10, Qt::white);
    }

private:
    QRgb left_;
    QRgb right_;
};

// Pixels of the window's drawing that differ in the picture, in which the
// window's own top-left corner lies at `origin`.
inline int WrongPixels(const QImage& picture, const Swatch& window, const QPoint& origin) {
    int wrong = 0;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            const QPoint at = QPoint(x, y) + origin;
            if (!picture.rect().contains(at) ||
                (picture.pixel(at) & 0xFFFFFF) != (window.expected(x, y) & 0xFFFFFF)) {
                ++wrong;
            }
        }
    }
    return wrong;
}
