// Frames read ahead from a real package while another is on screen: the
// same pictures, the files they leave, a jump that drops the frame read
// ahead, and a damaged frame that says so only at its turn. A preview's
// reading in place is the package test's.
#include "PlayerMovies.h"

#include "player/FrameLoader.h"

using namespace PlayerMovies;

namespace {

class FrameReadAhead : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        ASSERT_TRUE(source.isValid());
        const std::vector<Frame> frames = {{"SW001.bmp", 0, "s1.wav"},
                                           {"SW002.bmp", 0, "s1.wav"},
                                           {"SW003.bmp", 0, "s2.wav"},
                                           {"SW004.bmp", 0, ""}};
        setMovie(doc, source.path(), frames, 0);
        for (const char* sound : {"s1.wav", "s2.wav"}) {
            ASSERT_TRUE(SoundFiles::writeFile(QDir(source.path()).filePath(sound),
                                              SoundFiles::toneWav(0.1)));
        }
        doc.packagePath = QDir(source.path()).filePath("movie.sdw");
        makePackage(doc.packagePath, doc, source.path(),
                    {"SW001.bmp", "SW002.bmp", "SW003.bmp", "SW004.bmp", "s1.wav", "s2.wav"});
    }

    QStringList workFiles() const {
        return QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
    }
    static QRgb corner(const FramePicture& picture) { return picture.image.pixel(0, 0); }

    QTemporaryDir source;
    MovieDoc doc;
};

// That each frame read ahead is its own picture, and only sounds stay, is
// the player-package test's.
TEST_F(FrameReadAhead, AJumpDropsTheFrameReadAheadAndWhatItExtracted) {
    FrameLoader frames(doc, work.path(), false);
    ASSERT_EQ(corner(frames.take(1)), frameColour(0).rgb());
    frames.prepare(3);
    EXPECT_EQ(corner(frames.take(4)), frameColour(3).rgb());
    EXPECT_EQ(workFiles(), QStringList{"s1.wav"}) << "frame 3's sound went with it";
    // Dropped without a jump, as when the movie ends.
    frames.prepare(3);
    frames.prepare(0);
    EXPECT_EQ(workFiles(), QStringList{"s1.wav"});
}

TEST_F(FrameReadAhead, ADamagedFrameFailsAtItsTurnLeavingNothing) {
    ASSERT_TRUE(SoundFiles::writeFile(QDir(source.path()).filePath("SW002.bmp"), "BM no picture"));
    QFile::remove(doc.packagePath);
    makePackage(doc.packagePath, doc, source.path(), {"SW001.bmp", "SW002.bmp", "s1.wav"});
    FrameLoader frames(doc, work.path(), false);
    ASSERT_TRUE(frames.take(1).ok());
    frames.prepare(2);
    EXPECT_EQ(frames.take(2).message, MovieMessage::InvalidPackage);
    EXPECT_EQ(workFiles(), QStringList{"s1.wav"});
    frames.prepare(3);
    EXPECT_EQ(frames.take(3).message, MovieMessage::InvalidPackage) << "not in the package";
}

}  // namespace
