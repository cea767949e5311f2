#include "WholeFiles.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MovieScript.h"
#include "player/FrameLoader.h"
#include "player/MidiFile.h"
#include "tests/archiver/lha_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace MovieScript;

namespace {

const char* const kMakeDemo = SLIDEWRIGHT_BINARY_DIR "/bin/make_demo";

quint32 littleEndian(const QByteArray& bytes, int at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    }
    return value;
}

TEST(DemoMovie, FramesSoundsAndScriptAreWhatThePlayerNeeds) {
    QTemporaryDir folder;
    const QString package = folder.filePath(QStringLiteral("demo.sdw"));
    const QString loose = folder.filePath(QStringLiteral("files"));
    const auto made = lhatest::runTool({kMakeDemo, package.toStdString(), loose.toStdString()},
                                       folder.path().toStdString(), {"QT_QPA_PLATFORM=offscreen"});
    ASSERT_EQ(made.status, 0) << made.output;

    MovieDoc doc;
    const ReadResult read =
        ParseMovieScript(readFile(QDir(loose).filePath(kScriptName)), ForPlayer, doc);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(doc.advanceMode, 2) << "automatic, waiting for sounds";
    EXPECT_EQ(doc.loopFlag, 1);
    EXPECT_GT(doc.loopWaitSeconds, 0);
    EXPECT_LE(doc.loopWaitSeconds, 5);
    ASSERT_GE(doc.frameCount, 5);

    // The player unpacks it frame by frame into the loose pictures and sounds:
    // 24-bit uncompressed BMPs, drawn (more than a handful of colours).
    ASSERT_TRUE(ArchiverLibrary::load(kArchiver));
    QTemporaryDir work;
    MovieDoc played;
    played.packagePath = package;
    ASSERT_TRUE(ReadPackageScript(package, work.path(), ForPlayer, played).ok());
    ASSERT_EQ(played.frameCount, doc.frameCount);
    QStringList sounds;
    for (int k = 1; k <= doc.frameCount; ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        const std::string name = frame.pictureFile.toStdString();
        const QByteArray bmp = readFile(QDir(loose).filePath(frame.pictureFile));
        ASSERT_GE(bmp.size(), 54) << name;
        EXPECT_EQ(littleEndian(bmp, 28, 2), 24u) << name;
        EXPECT_EQ(littleEndian(bmp, 30, 4), 0u) << name;
        const QImage image = QImage::fromData(bmp, "BMP");
        EXPECT_EQ(image.size(), QSize(800, 600));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7) {
                colours.insert(image.pixel(x, y));
            }
        }
        EXPECT_GT(colours.size(), 20) << name;
        EXPECT_GT(frame.waitMs, 0);
        const FramePicture shown = FrameLoader::LoadFramePicture(played, work.path(), false, k);
        ASSERT_TRUE(shown.ok()) << name;
        EXPECT_EQ(shown.image, image) << name;
        if (!frame.soundFile.isEmpty()) {
            sounds << frame.soundFile;
            EXPECT_EQ(readFile(QDir(work.path()).filePath(frame.soundFile)),
                      readFile(QDir(loose).filePath(frame.soundFile)));
        }
    }
    ASSERT_TRUE(sounds.contains(QStringLiteral("chime.wav")));
    ASSERT_TRUE(sounds.contains(QStringLiteral("tune.mid")));

    // The chime is PCM whose header counts its bytes right; the tune's
    // events read to a length of a few seconds.
    const QByteArray wave = readFile(QDir(loose).filePath(QStringLiteral("chime.wav")));
    ASSERT_GE(wave.size(), 44);
    EXPECT_EQ(wave.left(16), QByteArray("RIFF") + wave.mid(4, 4) + "WAVEfmt ");
    EXPECT_EQ(littleEndian(wave, 4, 4), static_cast<quint32>(wave.size() - 8));
    EXPECT_EQ(littleEndian(wave, 20, 2), 1u) << "PCM";
    EXPECT_EQ(littleEndian(wave, 40, 4), static_cast<quint32>(wave.size() - 44));
    const QByteArray midi = readFile(QDir(loose).filePath(QStringLiteral("tune.mid")));
    const auto tune = MidiFile::playingTime(std::span(
        reinterpret_cast<const std::uint8_t*>(midi.constData()), static_cast<size_t>(midi.size())));
    ASSERT_TRUE(tune.has_value()) << "tune.mid does not read as MIDI";
    EXPECT_GT(tune->count(), 500000);
    EXPECT_LT(tune->count(), 30000000);
}

}  // namespace
