#pragma once

#include <QFrame>
#include <QImage>

// The picture box a progress bar is drawn in (the editor's picBar). Like a
// picture box with persistent drawing, it shows what was last drawn into it
// until it is cleared.
class ProgressBox : public QFrame {
    Q_OBJECT

public:
    explicit ProgressBox(QWidget* parent = nullptr);

    // Back to the plain background.
    void clear();
    // Replaces the drawing; `picture` is the inner area's size.
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
