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
#include <random>

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

// A picture of exactly `colours` colours, in scattered blocks.
QImage FewColours(int width, int height, int colours, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::vector<QRgb> table;
    QSet<QRgb> seen;
    while (static_cast<int>(table.size()) < colours) {
        const QRgb rgb = qRgb(random() % 256, random() % 256, random() % 256);
        if (!seen.contains(rgb)) {
            seen.insert(rgb);
            table.push_back(rgb);
        }
    }
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.setPixel(x, y, table[((x / 3) * 7 + (y / 2) * 13 + x * y) % colours]);
        }
    }
    // Every colour at least once.
    for (int i = 0; i < colours; ++i) {
        picture.setPixel(i % width, i / width, table[i]);
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

double Psnr(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            const double dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q),
                         db = qBlue(p) - qBlue(q);
            sum += dr * dr + dg * dg + db * db;
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

// ImageMagick's own reading of the file, as "Key: value" lines.
QMap<QString, QString> Identify(const QString& path) {
    QProcess identify;
    identify.start(QStringLiteral("identify"), {QStringLiteral("-verbose"), path});
    identify.waitForFinished(60000);
    QMap<QString, QString> fields;
    if (identify.exitStatus() != QProcess::NormalExit || identify.exitCode() != 0) {
        return fields;
    }
    for (const QString& line : QString::fromUtf8(identify.readAllStandardOutput()).split('\n')) {
        // Top-level fields are indented by two spaces exactly.
        if (line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("   "))) {
            const qsizetype colon = line.indexOf(QLatin1String(": "));
            if (colon > 0) {
                fields.insert(line.mid(2, colon - 2), line.mid(colon + 2).trimmed());
            }
        }
    }
    return fields;
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
            SCOPED_TRACE(QStringLiteral("%1x%2 to %3")
                             .arg(source.width())
                             .arg(source.height())
                             .arg(colours)
                             .toStdString());
            const auto reduced = MPIC_256GEN::ReduceBitmapColours(source, colours);
            ASSERT_TRUE(reduced.has_value());
            EXPECT_EQ(reduced->format(), QImage::Format_Indexed8);
            EXPECT_EQ(reduced->size(), source.size());
            EXPECT_EQ(reduced->colorCount(), colours);
            EXPECT_LE(UniqueColours(*reduced), colours);
            EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(*reduced), colours == 256 ? 8 : 4);
            const QImage fixed =
                colours == 256 ? UniformPalette(source, 8, 8, 4) : UniformPalette(source, 2, 4, 2);
            EXPECT_GT(Psnr(source, *reduced), Psnr(source, fixed) + 1.0);
        }
    }
}

TEST_F(ColourReduction, EveryPixelTakesItsNearestTableEntry) {
    const QImage source = Gradient(160, 120);
    const auto reduced = MPIC_256GEN::ReduceBitmapColours(source, 256);
    ASSERT_TRUE(reduced.has_value());
    const QList<QRgb> table = reduced->colorTable();
    int wrong = 0;
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = source.pixel(x, y);
            auto distance = [p](QRgb q) {
                const int dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q),
                          db = qBlue(p) - qBlue(q);
                return dr * dr + dg * dg + db * db;
            };
            int best = distance(table[0]);
            for (QRgb entry : table) {
                best = std::min(best, distance(entry));
            }
            if (distance(table[reduced->pixelIndex(x, y)]) != best) {
                ++wrong;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ColourReduction, FewColoursAreKeptExactly) {
    struct Case {
        int colours;
        int asked;
    };
    for (const Case c : {Case{200, 256}, Case{256, 256}, Case{16, 16}, Case{5, 16}, Case{3, 256}}) {
        SCOPED_TRACE(QStringLiteral("%1 colours to %2").arg(c.colours).arg(c.asked).toStdString());
        const QImage source = FewColours(97, 61, c.colours);
        ASSERT_EQ(UniqueColours(source), c.colours);
        const auto reduced = MPIC_256GEN::ReduceBitmapColours(source, c.asked);
        ASSERT_TRUE(reduced.has_value());
        EXPECT_EQ(reduced->convertToFormat(QImage::Format_RGB32), source);
        EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(*reduced), c.asked == 256 ? 8 : 4);
    }
    // One colour too many is no longer exact, but stays within the count.
    const QImage over = FewColours(97, 61, 17);
    const auto reduced = MPIC_256GEN::ReduceBitmapColours(over, 16);
    ASSERT_TRUE(reduced.has_value());
    EXPECT_EQ(UniqueColours(*reduced), 16);
}

TEST_F(ColourReduction, PicturesAlreadyAtOrBelowTheDepthStayAsTheyAre) {
    QImage eightBit = Gradient(64, 48).convertToFormat(QImage::Format_Indexed8);
    QList<QRgb> table = eightBit.colorTable();
    while (table.size() < 256) {
        table.append(qRgb(0, 0, 0));
    }
    eightBit.setColorTable(table);
    ASSERT_EQ(MPIC_256GEN::PictureBitsPerPixel(eightBit), 8);

    const auto same = MPIC_256GEN::ReduceBitmapColours(eightBit, 256);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(same->cacheKey(), eightBit.cacheKey());

    // Asking for 16 colours of an 8-bit picture still reduces it to 4 bits.
    const auto four = MPIC_256GEN::ReduceBitmapColours(eightBit, 16);
    ASSERT_TRUE(four.has_value());
    EXPECT_EQ(MPIC_256GEN::PictureBitsPerPixel(*four), 4);
    EXPECT_LE(UniqueColours(*four), 16);

    // And a 4-bit picture asked for 256 colours is left alone.
    const auto stays = MPIC_256GEN::ReduceBitmapColours(*four, 256);
    ASSERT_TRUE(stays.has_value());
    EXPECT_EQ(stays->cacheKey(), four->cacheKey());

    EXPECT_FALSE(MPIC_256GEN::ReduceBitmapColours(QImage(), 256).has_value());
    QImage box;
    MPIC_256GEN::ReduceBoxColours(box, 256);
    EXPECT_TRUE(box.isNull());
}

TEST_F(ColourReduction, ReducedPicturesAreSavedAsStandardIndexedBmps) {
    // Odd widths catch row padding and half-filled 4-bit bytes.
    for (int width : {1, 3, 8, 9, 33, 640}) {
        for (int colours : {256, 16}) {
            SCOPED_TRACE(
                QStringLiteral("width %1, %2 colours").arg(width).arg(colours).toStdString());
            const QImage source = Gradient(std::max(width, 2), 37).copy(0, 0, width, 37);
            QImage box = source;
            MPIC_256GEN::ReduceBoxColours(box, colours);
            ASSERT_FALSE(box.isNull());
            const QString file = path(QStringLiteral("w%1-%2.bmp").arg(width).arg(colours));
            ASSERT_TRUE(MPIC_256GEN::SaveBoxPicture(box, file));

            const int bits = colours == 256 ? 8 : 4;
            // Bottom-up, uncompressed, of the asked depth; the rest of the
            // header is for the readers below to judge.
            EXPECT_EQ(qint64{Field(file, 2, 4)}, QFileInfo(file).size());
            EXPECT_EQ(Field(file, 22, 4), 37u);
            EXPECT_EQ(Field(file, 28, 2), static_cast<uint32_t>(bits));
            EXPECT_EQ(Field(file, 30, 4), 0u);

            const QImage read(file);
            ASSERT_FALSE(read.isNull());
            EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32),
                      box.convertToFormat(QImage::Format_RGB32));

            const auto fields = Identify(file);
            ASSERT_FALSE(fields.isEmpty()) << "identify could not read the file";
            EXPECT_EQ(fields.value(QStringLiteral("Geometry")),
                      QStringLiteral("%1x37+0+0").arg(width));
            EXPECT_EQ(fields.value(QStringLiteral("Class")), QStringLiteral("PseudoClass"));
            EXPECT_EQ(fields.value(QStringLiteral("Colormap entries")).toInt(), colours);
            EXPECT_LE(fields.value(QStringLiteral("Colors")).toInt(), colours);
            EXPECT_EQ(fields.value(QStringLiteral("Colors")).toInt(), UniqueColours(box));
        }
    }
}

TEST_F(ColourReduction, TwoColoursMakeAOneBitBmp) {
    const QImage source = FewColours(21, 9, 5);
    const auto reduced = MPIC_256GEN::ReduceBitmapColours(source, 2);
    ASSERT_TRUE(reduced.has_value());
    EXPECT_LE(UniqueColours(*reduced), 2);
    const QString file = path(QStringLiteral("mono.bmp"));
    ASSERT_TRUE(MPIC_256GEN::SaveBoxPicture(*reduced, file));
    EXPECT_EQ(Field(file, 28, 2), 1u);
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32),
              reduced->convertToFormat(QImage::Format_RGB32));
}

TEST_F(ColourReduction, AFullColourPictureIsSavedAt24Bits) {
    const QImage source = Gradient(333, 77);
    ASSERT_EQ(MPIC_256GEN::PictureBitsPerPixel(source), 24);
    const QString file = path(QStringLiteral("SW001.bmp"));
    ASSERT_TRUE(MPIC_256GEN::SaveBoxPicture(source, file));
    EXPECT_EQ(Field(file, 28, 2), 24u);
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), source);
    const auto fields = Identify(file);
    EXPECT_EQ(fields.value(QStringLiteral("Class")), QStringLiteral("DirectClass"));
    EXPECT_EQ(fields.value(QStringLiteral("Geometry")), QStringLiteral("333x77+0+0"));
}

TEST_F(ColourReduction, AFailedSaveSaysSoAndLeavesNothingBehind) {
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(QImage(), path(QStringLiteral("empty.bmp"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("empty.bmp"))));

    // A folder that cannot exist: its parent is a file (root cannot write there either).
    QFile plain(path(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(
        MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(QStringLiteral("plain/SW001.bmp"))));
    EXPECT_FALSE(
        MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(QStringLiteral("missing/SW001.bmp"))));

    // A folder in the way of the name.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("SW002.bmp")));
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(Gradient(10, 10), path(QStringLiteral("SW002.bmp"))));

    // A full disk, as a file-size limit makes it: writing stops part-way,
    // and neither the new file nor a partial one stays.
    {
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = saved;
        tight.rlim_cur = 2000;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
        const bool saved24 =
            MPIC_256GEN::SaveBoxPicture(Gradient(100, 100), path(QStringLiteral("SW003.bmp")));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        EXPECT_FALSE(saved24);
    }
    const QStringList left = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList{QStringLiteral("plain")});
}
