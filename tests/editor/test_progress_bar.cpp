// The progress bar's pixels: a navy bar from the left as long as the
// percentage, the percentage written in the middle, navy on white and white
// on navy, and nothing but those two colours.
#include "editor/frames/MPRO_BAR.h"
#include "editor/frames/ProgressBox.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QRgb kNavy = qRgb(0, 0, 128);
const QRgb kWhite = qRgb(255, 255, 255);
const QSize kSize(200, 30);

QFont testFont() {
    QFont font("IPAGothic");
    font.setPixelSize(18);
    return font;
}

// Draws `percent` and checks it against a bar ending at `barEnd`: every
// pixel is the bar's colour there except the text's, which are the other
// colour, and the text sits in the middle.
void expectBar(int percent, int barEnd) {
    SCOPED_TRACE(percent);
    const QImage bar = MPRO_BAR::DrawProgress(kSize, percent, testFont());
    ASSERT_EQ(bar.size(), kSize);
    QRect text;
    int onBar = 0;
    int offBar = 0;
    for (int y = 0; y < kSize.height(); ++y) {
        for (int x = 0; x < kSize.width(); ++x) {
            const QRgb pixel = bar.pixel(x, y);
            ASSERT_TRUE(pixel == kNavy || pixel == kWhite) << "at " << x << "," << y;
            if (pixel != (x < barEnd ? kNavy : kWhite)) {
                text |= QRect(x, y, 1, 1);
                (x < barEnd ? onBar : offBar)++;
            }
        }
    }
    EXPECT_GT(onBar + offBar, 20) << "the percentage is written";
    // Glyph side bearings leave a pixel or two either way.
    EXPECT_NEAR(text.center().x(), kSize.width() / 2.0, 3.0);
    EXPECT_NEAR(text.center().y(), kSize.height() / 2.0, 3.0);
    if (text.left() < barEnd && barEnd <= text.right()) {
        EXPECT_GT(onBar, 0);
        EXPECT_GT(offBar, 0);
    }
}

TEST(ProgressBar, TheBarGrowsWithThePercentageAndTheTextStaysReadable) {
    expectBar(0, 0);
    expectBar(50, 100);
    expectBar(100, 200);
    // Beyond either end the bar stops at the box.
    expectBar(150, 200);
    expectBar(-5, 0);
}

TEST(ProgressBar, ShowProgressDrawsIntoTheBox) {
    ProgressBox box;
    box.setObjectName("picBar");
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
