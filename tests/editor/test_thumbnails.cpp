// Thumbnails: the fitting's exact geometry, the margin colour, both ways of
// reading a BMP giving the same picture, and the cache.
#include "capture/BmpScaledReader.h"
#include "editor/frames/MPicSizeChg.h"
#include "editor/frames/ThumbnailCache.h"

#include <gtest/gtest.h>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <functional>

namespace {

using MPicSizeChg::ComputeFit;
using MPicSizeChg::FitGeometry;
using MPicSizeChg::TargetBox;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);

TargetBox greenBox() {
    TargetBox box;
    box.background = QColor::fromRgb(kGreen);
    return box;
}

QImage solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage drawn(int width, int height, const std::function<QRgb(int, int)>& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colour(x, y));
        }
    }
    return image;
}

// A picture with detail everywhere, so any misplaced row or column shows.
QImage patterned(int width, int height) {
    return drawn(width, height, [](int x, int y) {
        return qRgb((x * 7 + y) & 0xff, (y * 5) & 0xff, ((x ^ y) * 3) & 0xff);
    });
}

// Writes `image` as an uncompressed BMP, through Qt's writer (24 bits, or
// the palette forms of indexed pictures) or, for the forms Qt does not
// write (32 bits, rows top-down), through our own encoder.
void writeBmp(const QString& path, const QImage& image, int bits = 24, bool topDown = false) {
    if (bits != 32 && !topDown) {
        ASSERT_TRUE(image.save(path, "BMP"));
        return;
    }
    const int width = image.width();
    const int height = image.height();
    const int stride = (width * bits + 31) / 32 * 4;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(54 + stride * height) << quint32(0) << quint32(54);
    out << quint32(40) << qint32(width) << qint32(topDown ? -height : height) << quint16(1)
        << quint16(bits) << quint32(0) << quint32(stride * height) << qint32(3780) << qint32(3780)
        << quint32(0) << quint32(0);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb c = image.pixel(x, y);
            const int at = x * bits / 8;
            line[at] = char(qBlue(c));
            line[at + 1] = char(qGreen(c));
            line[at + 2] = char(qRed(c));
        }
        out.writeRawData(line.constData(), stride);
    }
}

// Fitting arithmetic against figures worked out by hand from the rules:
// r from the tighter side, the margin of 300 twips, 15.4 twips a pixel for
// the drawing, halves to even.
struct FitCase {
    QSize picture;
    QRect destination;
    QSize source;
    QRect picturePart;
};

TEST(FitGeometry, MatchesTheWorkedFigures) {
    const FitCase cases[] = {
        // 4:3 like the box: 643 x 487 stretched to 151 x 115, covering the box.
        {{640, 480}, {0, 0, 151, 115}, {643, 487}, {0, 0, 150, 113}},
        // Wide: the widths decide, centred vertically; the block stops 30
        // columns and 9 rows short of the picture's edges.
        {{1920, 1080}, {0, 13, 148, 84}, {1890, 1071}, {0, 13, 148, 84}},
        // Tall: the heights decide, centred horizontally.
        {{480, 640}, {30, 0, 86, 114}, {487, 643}, {30, 0, 85, 113}},
        {{500, 500}, {16, 0, 114, 114}, {506, 506}, {16, 0, 113, 113}},
        {{100, 400}, {57, 0, 33, 116}, {117, 409}, {57, 0, 28, 113}},
        // Smaller than the box: enlarged to fit, never shown at its own size.
        {{64, 48}, {0, 0, 193, 156}, {82, 66}, {0, 0, 151, 113}},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        const FitGeometry fit = ComputeFit(c.picture, TargetBox{});
        EXPECT_EQ(fit.destination, c.destination);
        EXPECT_EQ(fit.sourcePixels, c.source);
        EXPECT_EQ(fit.picture, c.picturePart);
    }
    EXPECT_TRUE(ComputeFit({0, 10}, TargetBox{}).destination.isEmpty());
}

TEST(FitPictureToBox, PictureAndMarginLandWhereTheGeometrySays) {
    for (const QSize& size : {QSize(640, 480), QSize(1920, 1080), QSize(100, 400), QSize(64, 48)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        const QImage thumbnail =
            MPicSizeChg::FitPictureToBox(solid(size.width(), size.height(), kRed), greenBox());
        ASSERT_EQ(thumbnail.size(), QSize(151, 113));
        const QRect picture = ComputeFit(size, greenBox()).picture & thumbnail.rect();
        for (int y = 0; y < thumbnail.height(); ++y) {
            for (int x = 0; x < thumbnail.width(); ++x) {
                const QRgb expected = picture.contains(x, y) ? kRed : kGreen;
                ASSERT_EQ(thumbnail.pixel(x, y), expected) << "at " << x << "," << y;
            }
        }
    }
}

TEST(FitPictureToBox, ContentKeepsItsPlace) {
    // Left half red, right half blue, with a yellow strip in the last 30
    // columns that the fitting's block does not reach.
    const QImage picture = drawn(1920, 1080, [](int x, int) {
        return x < 960 ? kRed : x < 1890 ? qRgb(0, 0, 255) : qRgb(255, 255, 0);
    });
    const QImage thumbnail = MPicSizeChg::FitPictureToBox(picture, greenBox());
    EXPECT_EQ(thumbnail.pixel(10, 50), kRed);
    EXPECT_EQ(thumbnail.pixel(140, 50), qRgb(0, 0, 255));
    EXPECT_EQ(thumbnail.pixel(147, 96), qRgb(0, 0, 255));
    EXPECT_EQ(thumbnail.pixel(75, 12), kGreen);
    EXPECT_EQ(thumbnail.pixel(75, 97), kGreen);
    EXPECT_TRUE(MPicSizeChg::FitPictureToBox(QImage(), greenBox()).isNull());
}

class ThumbnailFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.filePath(name); }
    QTemporaryDir folder;
};

TEST_F(ThumbnailFiles, FastReaderMatchesQtReader) {
    struct Variant {
        const char* name;
        QImage picture;
        int bits;
        bool topDown;
    };
    auto level = [](int x, int y) { return (x / 7 + y / 5) & 0xff; };
    const Variant variants[] = {
        {"screen24.bmp", patterned(1920, 1080), 24, false},
        {"odd24.bmp", patterned(333, 251), 24, false},
        {"topdown24.bmp", patterned(1024, 768), 24, true},
        {"quad32.bmp", patterned(1280, 1024), 32, false},
        {"indexed8.bmp",
         drawn(333, 250,
               [&](int x, int y) {
                   return qRgb(level(x, y), 255 - level(x, y), (level(x, y) * 3) & 0xff);
               }),
         8, false},
        {"indexed4.bmp",
         drawn(801, 601,
               [&](int x, int y) {
                   return qRgb((level(x, y) & 15) * 16, (level(x, y) & 3) * 80, 40);
               }),
         4, false},
        {"mono1.bmp",
         drawn(640, 480,
               [](int x, int y) {
                   return ((x / 3 + y / 2) & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
               }),
         1, false},
        {"small24.bmp", patterned(64, 48), 24, false},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        writeBmp(path(v.name),
                 v.bits >= 24 ? v.picture
                              : v.picture.convertToFormat(v.bits == 1 ? QImage::Format_Mono
                                                                      : QImage::Format_Indexed8),
                 v.bits, v.topDown);
        QFile written(path(v.name));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.read(30).at(28), v.bits) << "the form meant";
        EXPECT_TRUE(BmpScaledReader(path(v.name)).canRead());
        const QImage fast = MPicSizeChg::LoadThumbnail(path(v.name), greenBox());
        const QImage viaQt = MPicSizeChg::LoadThumbnail(path(v.name), greenBox(), false);
        ASSERT_FALSE(fast.isNull());
        EXPECT_EQ(fast, viaQt);
        EXPECT_EQ(fast, MPicSizeChg::FitPictureToBox(v.picture, greenBox()));
    }
}

TEST_F(ThumbnailFiles, UnreadablePictureGivesNoThumbnail) {
    QFile garbage(path("garbage.bmp"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("BM this is not a picture at all, only some words");
    garbage.close();
    QFile(path("empty.bmp")).open(QIODevice::WriteOnly);
    EXPECT_TRUE(MPicSizeChg::LoadThumbnail(path("garbage.bmp"), greenBox()).isNull());
    EXPECT_TRUE(MPicSizeChg::LoadThumbnail(path("empty.bmp"), greenBox()).isNull());
    EXPECT_TRUE(MPicSizeChg::LoadThumbnail(path("missing.bmp"), greenBox()).isNull());
    EXPECT_TRUE(MPicSizeChg::LoadThumbnail(folder.path(), greenBox()).isNull());

    // A picture cut short: no crash, and never a thumbnail from beyond the file.
    writeBmp(path("whole.bmp"), patterned(800, 600));
    QFile whole(path("whole.bmp"));
    ASSERT_TRUE(whole.resize(1000));
    MPicSizeChg::LoadThumbnail(path("whole.bmp"), greenBox());
}

TEST_F(ThumbnailFiles, CacheAnswersUntilTheFileChanges) {
    ThumbnailCache cache;
    writeBmp(path("SW001.bmp"), solid(640, 480, kRed));
    const QImage first = cache.thumbnail(path("SW001.bmp"), greenBox());
    EXPECT_EQ(first.pixel(10, 10), kRed);
    EXPECT_EQ(cache.misses(), 1u);
    EXPECT_EQ(cache.thumbnail(path("SW001.bmp"), greenBox()), first);
    EXPECT_EQ(cache.hits(), 1u);

    // Rewritten with a picture of the same size: the file's times change.
    writeBmp(path("SW001.bmp"), solid(640, 480, qRgb(0, 0, 255)));
    const QImage second = cache.thumbnail(path("SW001.bmp"), greenBox());
    EXPECT_EQ(second.pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(cache.misses(), 2u);
    EXPECT_EQ(cache.size(), 1u);

    // Another box is another thumbnail.
    TargetBox white;
    EXPECT_EQ(cache.thumbnail(path("SW001.bmp"), white).pixel(150, 50), qRgb(255, 255, 255));
    EXPECT_EQ(cache.misses(), 3u);

    // A removed file gives nothing, however it was cached.
    QFile::remove(path("SW001.bmp"));
    EXPECT_TRUE(cache.thumbnail(path("SW001.bmp"), greenBox()).isNull());
    EXPECT_EQ(cache.hits(), 1u);
}

// Only a miss reads the file: the counts show what the cache kept.
// Forgetting a file drops every box of it, and no file whose name ends
// like it. Which entries a full cache drops costs only a second read,
// never a wrong picture.
TEST_F(ThumbnailFiles, ForgettingAFileDropsEveryBoxOfItAndNothingElse) {
    ThumbnailCache cache;
    for (const char* name : {"a.bmp", "xa.bmp"}) {
        writeBmp(path(name), solid(64, 48, kRed));
    }
    cache.thumbnail(path("a.bmp"), greenBox());
    cache.thumbnail(path("a.bmp"), TargetBox{});
    cache.thumbnail(path("xa.bmp"), greenBox());
    cache.forget(path("a.bmp"));
    EXPECT_EQ(cache.size(), 1u);
    const auto misses = cache.misses();
    cache.thumbnail(path("xa.bmp"), greenBox());
    EXPECT_EQ(cache.misses(), misses);
}

}  // namespace
