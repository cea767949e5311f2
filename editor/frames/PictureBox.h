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

signals:
    void mouseReleased(Qt::MouseButton button, QPoint globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};
