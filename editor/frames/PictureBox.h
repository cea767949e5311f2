#pragma once

#include <QFrame>
#include <QImage>

// A row's thumbnail box: shows what was last drawn into it until cleared,
// on the box's own background where the picture does not reach.
class PictureBox : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);

    void clear();
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    QColor background() const;
    // Writes text into the box at `position` (pixels inside the frame) in
    // the box's own font and text colour, over what is drawn there; kept
    // until the next clear or picture.
    void printText(QPoint position, const QString& text);
    const QString& printedText() const { return printedText_; }

signals:
    void mouseReleased(Qt::MouseButton button, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QString printedText_;
};
