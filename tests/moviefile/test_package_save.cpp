// Saving a movie compresses its files on several threads; the package must
// still be exactly what storing them one by one makes, and a failure must
// still leave nothing behind.
#include "WholeFiles.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PackageSave.h"
#include "moviefile/ParallelStore.h"
#include "moviefile/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

class PackageSaveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_package_save";
        static char* argv[] = {name, nullptr};
        static QCoreApplication application(argc, argv);
    }

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(ArchiverLibrary::load(kArchiver));
        ASSERT_TRUE(QDir().mkpath(root.filePath("work")) && QDir().mkpath(root.filePath("movies")));
    }

    QString package() const { return root.filePath(QStringLiteral("movies/movie.sdw")); }
    // Where the script is written on its way into the package.
    QString scriptFolder() const { return root.path(); }
    QString workFolder() const { return root.filePath(QStringLiteral("work")); }
    QString workFile(const QString& name) const { return workFolder() + u'/' + name; }

    // Pictures of several kinds and sizes, so that the workers finish out
    // of order and the archiver picks different methods: smooth (-lh7-),
    // noise (stored as -lh0-) and a single pixel.
    void writePicture(const QString& name, int kind, int width, int height) const {
        QImage image(width, height, QImage::Format_RGB888);
        QRandomGenerator random(static_cast<quint32>(kind + width));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int noise = static_cast<int>(random.bounded(256));
                image.setPixel(x, y,
                               kind == 1 ? qRgb(noise, noise ^ 0x5A, 255 - noise)
                                         : qRgb((x * 255) / width, (y * 255) / height,
                                                ((x / 16 + y / 16) % 2) * 200));
            }
        }
        ASSERT_TRUE(image.save(workFile(name), "BMP"));
    }

    // Twelve frames: two share a picture, two share a sound, one names a
    // sound the work folder does not hold.
    int makeMovie() {
        const int n = 12;
        for (int k = 1; k <= n; ++k) {
            const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
            writePicture(name, k % 4 == 1 ? 1 : 0, k == 6 ? 1 : 40 * (13 - k), 30 * k);
            doc.frames[k] = FrameEntry{true, name, 1000, {}};
        }
        doc.frames[5].pictureFile = QStringLiteral("SW002.bmp");
        writeFile(workFile(QStringLiteral("chime.wav")), QByteArray(5000, 'w'));
        doc.frames[3].soundFile = QStringLiteral("chime.wav");
        doc.frames[9].soundFile = QStringLiteral("chime.wav");
        doc.frames[7].soundFile = QStringLiteral("gone.wav");
        return n;
    }

    PackageSave::SaveResult save(int n) {
        percents.clear();
        return PackageSave::SavePackage(
            doc, workFolder(), package(), n, {true, 1, QStringLiteral("5")},
            [this](int percent) { percents.push_back(percent); }, scriptFolder());
    }

    // What is left of the save besides the package: temporary packages
    // beside it and member archives in the run's private folder.
    QStringList leftovers() const {
        QStringList left = entries(root.filePath("movies"));
        left.removeAll(QStringLiteral("movie.sdw"));
        if (const auto own = WorkFolder::privateFolder()) {
            left += entries(*own);
        }
        return left;
    }

    QTemporaryDir root;
    MovieDoc doc;
    std::vector<int> percents;
};

TEST_F(PackageSaveTest, ParallelSaveWritesWhatStoringOneByOneWrites) {
    const int n = makeMovie();
    ASSERT_GE(ParallelStore::workerCount(), 1);
    const auto result = save(n);
    ASSERT_TRUE(result.saved);
    EXPECT_EQ(percents, (std::vector<int>{8, 17, 25, 33, 42, 50, 58, 67, 75, 83, 92, 100}));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();

    // The same package, one store command after another: the script (taken
    // back out, so it keeps its time stamp), then each file once, in order.
    QTemporaryDir serial;
    ASSERT_EQ(MLha::ExtractFromPackage(package(), serial.path(), QStringLiteral("Slidewright.ini")),
              0);
    const QString reference = serial.filePath(QStringLiteral("serial.sdw"));
    ASSERT_EQ(
        MLha::StoreInPackage(reference, serial.filePath(QStringLiteral("Slidewright.ini")), true),
        0);
    for (const char* name :
         {"SW001.bmp", "SW002.bmp", "SW003.bmp", "chime.wav", "SW004.bmp", "SW006.bmp", "SW007.bmp",
          "SW008.bmp", "SW009.bmp", "SW010.bmp", "SW011.bmp", "SW012.bmp"}) {
        ASSERT_EQ(MLha::StoreInPackage(reference, workFile(QString::fromLatin1(name)), false), 0);
    }
    const QByteArray parallel = readFile(package());
    ASSERT_FALSE(parallel.isEmpty());
    EXPECT_TRUE(parallel == readFile(reference))
        << parallel.size() << " bytes against " << readFile(reference).size();
}

TEST_F(PackageSaveTest, AFailureAnywhereKeepsTheEarlierPackageAndLeavesNoTemporaryFile) {
    const int n = makeMovie();
    ASSERT_TRUE(save(n).saved);
    const QByteArray before = readFile(package());

    // A picture the archiver refuses (too large for an LHA member), while
    // the frames around it compress on other threads.
    QFile huge(workFile(QStringLiteral("SW009.bmp")));
    ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
    ASSERT_TRUE(huge.resize(qint64{0x100000001}));
    huge.close();
    const auto expectFailed = [&](MovieMessage message, const std::vector<int>& reached) {
        const auto result = save(n);
        EXPECT_FALSE(result.saved);
        EXPECT_EQ(result.message, message);
        EXPECT_EQ(percents, reached);
        EXPECT_TRUE(readFile(package()) == before);
        EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
    };
    expectFailed(MovieMessage::SaveFailed, {8, 17, 25, 33, 42, 50, 58, 67});

    // A picture gone from the work folder.
    writePicture(QStringLiteral("SW009.bmp"), 0, 10, 10);
    ASSERT_TRUE(QFile::remove(workFile(QStringLiteral("SW004.bmp"))));
    expectFailed(MovieMessage::SaveFileMissing, {8, 17, 25});
}

TEST_F(PackageSaveTest, WindowEventsRunWhileTheFirstPictureCompresses) {
    for (int k = 1; k <= 2; ++k) {
        const QString name = QStringLiteral("SW%1.bmp").arg(k, 3, 10, QLatin1Char('0'));
        writePicture(name, 0, 1920, 1080);
        doc.frames[k] = FrameEntry{true, name, 1000, {}};
    }
    int ticks = 0;
    int ticksBeforeFirstFrame = -1;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    const auto result = PackageSave::SavePackage(
        doc, workFolder(), package(), 2, {},
        [&](int) {
            if (ticksBeforeFirstFrame < 0) {
                ticksBeforeFirstFrame = ticks;
            }
        },
        scriptFolder());
    ASSERT_TRUE(result.saved);
    EXPECT_GT(ticksBeforeFirstFrame, 0) << "the window's thread waited without its events";
}

}  // namespace
