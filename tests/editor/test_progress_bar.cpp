// The progress bar's pixels: navy bar from the left, the percentage centred,
// navy on white and white on navy.
#include "editor/frames/MPRO_BAR.h"
#include "editor/frames/ProgressBox.h"

#include <gtest/gtest.h>
#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {

const QRgb kNavy = qRgb(0, 0, 128);
const QRgb kWhite = qRgb(255, 255, 255);
const QSize kSize(200, 30);

QFont testFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(18);
    return font;
}

// Where the text's pixels should be: the string drawn by itself, unsmoothed,
// centred in the box.
QImage expectedTextMask(const QString& text, const QFont& font) {
    QFont plain = font;
    plain.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(plain);
    QImage mask(kSize, QImage::Format_RGB32);
    mask.fill(kWhite);
    QPainter painter(&mask);
    painter.setFont(plain);
    painter.setPen(Qt::black);
    // Halves go to the even pixel, like every other rounding of the program.
    const int x = int(std::nearbyint((kSize.width() - metrics.horizontalAdvance(text)) / 2.0));
    const int y = int(std::nearbyint((kSize.height() - metrics.height()) / 2.0));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
    return mask;
}

// Checks every pixel: left of `barEnd` navy with white text, right of it
// white with navy text, and the text pixels exactly those of `text`.
void expectBar(int percent, int barEnd, const QString& text) {
    SCOPED_TRACE(text.toStdString());
    const QImage bar = MPRO_BAR::DrawProgress(kSize, percent, testFont());
    ASSERT_EQ(bar.size(), kSize);
    const QImage mask = expectedTextMask(text, testFont());
    int textLeft = 0;
    int textRight = 0;
    for (int y = 0; y < kSize.height(); ++y) {
        for (int x = 0; x < kSize.width(); ++x) {
            const bool onBar = x < barEnd;
            const bool isText = mask.pixel(x, y) != kWhite;
            const QRgb expected = onBar != isText ? kNavy : kWhite;
            ASSERT_EQ(bar.pixel(x, y), expected) << "at " << x << "," << y;
            if (isText) {
                (onBar ? textLeft : textRight)++;
            }
        }
    }
    EXPECT_GT(textLeft + textRight, 20);
    if (barEnd > 0 && barEnd < kSize.width()) {
        // The text straddles the bar's end: both colours of text are there.
        EXPECT_GT(textLeft, 0);
        EXPECT_GT(textRight, 0);
    }
}

TEST(ProgressBar, ZeroIsWhiteWithNavyText) {
    expectBar(0, 0, QStringLiteral("0%"));
}

TEST(ProgressBar, HalfIsNavyOnTheLeft) {
    expectBar(50, 100, QStringLiteral("50%"));
    expectBar(45, 90, QStringLiteral("45%"));
}

TEST(ProgressBar, FullAndBeyondAreAllNavyWithWhiteText) {
    expectBar(100, 200, QStringLiteral("100%"));
    expectBar(150, 200, QStringLiteral("150%"));
    expectBar(-5, 0, QStringLiteral("-5%"));
}

TEST(ProgressBar, TextIsCentred) {
    const QImage bar = MPRO_BAR::DrawProgress(kSize, 0, testFont());
    int left = kSize.width();
    int right = -1;
    for (int y = 0; y < kSize.height(); ++y) {
        for (int x = 0; x < kSize.width(); ++x) {
            if (bar.pixel(x, y) == kNavy) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, left);
    // Glyph side bearings leave a pixel or two either way.
    EXPECT_NEAR((left + right) / 2.0, kSize.width() / 2.0, 3.0);
}

TEST(ProgressBar, ShowProgressDrawsIntoTheBox) {
    ProgressBox box;
    box.setObjectName(QStringLiteral("picBar"));
    box.setFont(testFont());
    box.resize(185, 25);
    box.show();
    MPRO_BAR::ShowProgress(&box, 50);
    const QRect inner = box.contentsRect();
    ASSERT_EQ(box.picture().size(), inner.size());
    EXPECT_EQ(box.picture(), MPRO_BAR::DrawProgress(inner.size(), 50, testFont()));

    // What is on screen: navy at the left edge, white at the right, and the
    // box's own frame around it.
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixel(inner.left() + 1, inner.top() + 1), kNavy);
    EXPECT_EQ(shown.pixel(inner.right() - 1, inner.top() + 1), kWhite);

    box.clear();
    EXPECT_TRUE(box.picture().isNull());
    const QImage cleared = box.grab().toImage();
    EXPECT_EQ(cleared.pixel(inner.left() + 1, inner.top() + 1), kWhite);
    MPRO_BAR::ShowProgress(nullptr, 10);
}

}  // namespace
