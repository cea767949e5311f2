// Colour reduction and BMP saving: what the capture window stores must be a
// standard BMP of the asked depth that other programs read as we wrote it.
#include "capture/MPIC_256GEN.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <cmath>
#include <csignal>
#include <cstdint>

using namespace Qt::StringLiterals;

namespace {

// A smooth picture of far more colours than any table holds.
QImage Gradient(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(
                x, y, qRgb(x * 255 / (width - 1), y * 255 / (height - 1), (x * 3 + y * 5) % 256));
        }
    }
    return picture;
}

// A picture of exactly `colours` (up to 256) colours, in scattered blocks;
// an odd step through each channel keeps them apart.
QImage FewColours(int width, int height, int colours) {
    const auto colour = [](int i) { return qRgb(i * 37 % 256, i * 91 % 256, i * 151 % 256); };
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, colour(((x / 3) * 7 + (y / 2) * 13 + x * y) % colours));
        }
    }
    // Every colour at least once.
    for (int i = 0; i < colours; ++i) {
        picture.setPixel(i % width, i / width, colour(i));
    }
    return picture;
}

int UniqueColours(const QImage& picture) {
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            colours.insert(picture.pixel(x, y) & 0xFFFFFF);
        }
    }
    return static_cast<int>(colours.size());
}

int Distance(QRgb p, QRgb q) {
    const int dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q), db = qBlue(p) - qBlue(q);
    return dr * dr + dg * dg + db * db;
}

double Psnr(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            sum += Distance(a.pixel(x, y), b.pixel(x, y));
        }
    }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? 999 : 10 * std::log10(255.0 * 255.0 / mse);
}

// The same picture with each channel cut to a fixed grid of levels: the
// palette a reduction that looks at nothing would use.
QImage UniformPalette(const QImage& picture, int redLevels, int greenLevels, int blueLevels) {
    auto level = [](int value, int levels) {
        const int step = std::min(levels - 1, value * levels / 256);
        return step * 255 / (levels - 1);
    };
    QImage result = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = result.pixel(x, y);
            result.setPixel(x, y,
                            qRgb(level(qRed(p), redLevels), level(qGreen(p), greenLevels),
                                 level(qBlue(p), blueLevels)));
        }
    }
    return result;
}

// A little-endian field of a file's header.
uint32_t Field(const QString& path, int at, int size) {
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.read(at + size) : QByteArray();
    uint32_t value = 0;
    for (int i = size - 1; i >= 0 && bytes.size() == at + size; --i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

// ImageMagick's own reading of the file: size, class and colours used.
QString Identify(const QString& path) {
    QProcess identify;
    identify.start(u"identify"_s, {u"-format"_s, u"%wx%h %r%k"_s, path});
    identify.waitForFinished(60000);
    return identify.exitCode() == 0 ? QString::fromUtf8(identify.readAllStandardOutput())
                                    : u"unreadable"_s;
}

class ColourReduction : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ColourReduction, ManyColoursBecomeAnIndexedPictureBetterThanAFixedPalette) {
    // 640x480 has more colours than are counted one by one; 200x150 fewer.
    for (const QImage& source : {Gradient(640, 480), Gradient(200, 150)}) {
        for (int colours : {256, 16}) {
            SCOPED_TRACE(testing::Message() << source.width() << " wide to " << colours);
            const QImage reduced = MPIC_256GEN::ReduceBitmapColours(source, colours).value();
            EXPECT_EQ(reduced.format(), QImage::Format_Indexed8);
            EXPECT_EQ(reduced.size(), source.size());
            EXPECT_EQ(reduced.colorCount(), colours);
            EXPECT_LE(UniqueColours(reduced), colours);
            EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(reduced), colours == 256 ? 8 : 4);
            const QImage fixed =
                colours == 256 ? UniformPalette(source, 8, 8, 4) : UniformPalette(source, 2, 4, 2);
            EXPECT_GT(Psnr(source, reduced), Psnr(source, fixed) + 1.0);
        }
    }
}

TEST_F(ColourReduction, EveryPixelTakesItsNearestTableEntry) {
    const QImage source = Gradient(160, 120);
    const QImage reduced = MPIC_256GEN::ReduceBitmapColours(source, 256).value();
    const QList<QRgb> table = reduced.colorTable();
    int wrong = 0;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            int best = Distance(p, table[0]);
            for (QRgb entry : table) {
                best = std::min(best, Distance(p, entry));
            }
            wrong += Distance(p, table[reduced.pixelIndex(x, y)]) != best;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ColourReduction, FewColoursAreKeptExactly) {
    // At the table's size, and below it.
    for (const auto& [colours, asked] : {std::pair{256, 256}, {16, 16}, {5, 16}}) {
        SCOPED_TRACE(testing::Message() << colours << " colours to " << asked);
        const QImage source = FewColours(97, 61, colours);
        ASSERT_EQ(UniqueColours(source), colours);
        const QImage reduced = MPIC_256GEN::ReduceBitmapColours(source, asked).value();
        EXPECT_EQ(reduced.convertToFormat(QImage::Format_RGB32), source);
        EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(reduced), asked == 256 ? 8 : 4);
    }
    // One colour too many is no longer exact, but stays within the count.
    const QImage over = FewColours(97, 61, 17);
    const QImage reduced = MPIC_256GEN::ReduceBitmapColours(over, 16).value();
    EXPECT_EQ(UniqueColours(reduced), 16);
}

TEST_F(ColourReduction, PicturesAreSavedAsStandardBmpsOfTheirDepth) {
    // Odd widths catch row padding and half-filled 4- and 1-bit bytes;
    // 0 colours is a full-colour picture saved as it is.
    for (int width : {1, 3, 8, 9, 33, 640}) {
        for (int colours : {256, 16, 2, 0}) {
            SCOPED_TRACE(testing::Message() << "width " << width << ", " << colours << " colours");
            QImage box = Gradient(std::max(width, 2), 37).copy(0, 0, width, 37);
            if (colours > 0) {
                MPIC_256GEN::ReduceBoxColours(box, colours);
            }
            ASSERT_FALSE(box.isNull());
            const QString file = path(u"w%1-%2.bmp"_s.arg(width).arg(colours));
            ASSERT_TRUE(MPIC_256GEN::SaveBoxPicture(box, file));

            // Bottom-up, uncompressed, of the asked depth; the rest of the
            // header is for the readers below to judge.
            const int bits = colours == 0 ? 24 : colours == 256 ? 8 : colours == 16 ? 4 : 1;
            EXPECT_EQ(qint64{Field(file, 2, 4)}, QFileInfo(file).size());
            EXPECT_EQ(Field(file, 22, 4), 37u);
            EXPECT_EQ(Field(file, 28, 2), static_cast<uint32_t>(bits));
            EXPECT_EQ(Field(file, 30, 4), 0u);

            const QImage read(file);
            EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32),
                      box.convertToFormat(QImage::Format_RGB32));
            EXPECT_EQ(read.colorCount(), colours);
            EXPECT_EQ(Identify(file), u"%1x37 %2 sRGB %3"_s.arg(width)
                                          .arg(colours ? "PseudoClass" : "DirectClass")
                                          .arg(UniqueColours(box)));
        }
    }
}

// A copy that failed is an empty picture: neither reduced nor saved.
TEST_F(ColourReduction, AFailedSaveSaysSoAndLeavesNothingBehind) {
    QImage box;
    MPIC_256GEN::ReduceBoxColours(box, 256);
    EXPECT_TRUE(box.isNull());
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(box, path(u"empty.bmp"_s)));
    EXPECT_FALSE(QFile::exists(path(u"empty.bmp"_s)));

    // A folder that cannot exist: its parent is a file (root cannot write there either).
    ASSERT_TRUE(QFile(path(u"plain"_s)).open(QIODevice::WriteOnly));
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(u"plain/SW001.bmp"_s)));
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(u"missing/SW001.bmp"_s)));

    // A folder in the way of the name.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"SW002.bmp"_s));
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(u"SW002.bmp"_s)));

    // A full disk, as a file-size limit makes it: writing stops part-way,
    // and neither the new file nor a partial one stays.
    {
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = saved;
        tight.rlim_cur = 2000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const bool saved24 = MPIC_256GEN::SaveBoxPicture(Gradient(100, 100), path(u"SW003.bmp"_s));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(saved24);
    }
    const QStringList left = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList{u"plain"_s});
}
