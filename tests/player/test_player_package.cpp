// The player on real packages made with the program's archiver: choosing
// the package, reading its script, taking each frame's files out of it and
// removing them as they are used, and the boxes that end the program; and
// the loader alone, reading a frame ahead while another is on screen.
#include "PlayerMovies.h"

#include "common/FileDialogs.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieMessages.h"
#include "player/FrameLoader.h"

#include <QFile>

using namespace PlayerMovies;

namespace {

const QString kData = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/");

class PlayerPackage : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        ASSERT_TRUE(source.isValid());
        FileDialogs::clearAskedDialogs();
        CommandLine::set(QString());
    }
    void TearDown() override {
        CommandLine::set(QString());
        PlayerTest::TearDown();
    }

    QString sourceFile(const QString& name) const { return QDir(source.path()).filePath(name); }

    // A package of these frames, pictures 10 pixels wider each, with sounds
    // of three seconds; the movie it holds.
    MovieDoc makeMovie(const QString& package, std::vector<Frame> frames, int mode,
                       const QStringList& sounds = {}) {
        QStringList members;
        for (size_t i = 0; i < frames.size(); ++i) {
            frames[i].size = QSize(320 + 10 * static_cast<int>(i), 240);
            if (!members.contains(frames[i].picture)) {
                members << frames[i].picture;
            }
        }
        for (const QString& sound : sounds) {
            EXPECT_TRUE(SoundFiles::writeFile(sourceFile(sound), SoundFiles::toneWav(3)));
            members << sound;
        }
        MovieDoc doc;
        setMovie(doc, source.path(), frames, mode);
        makePackage(package, doc, source.path(), members);
        doc.packagePath = package;
        return doc;
    }

    // A package of one picture a.bmp and the script of tests/data.
    QString packageWithScript(const QString& script) {
        const QString package = sourceFile(script + QStringLiteral(".sdw"));
        writeBitmap(sourceFile("a.bmp"), QSize(50, 50), 0);
        QFile::remove(sourceFile(MovieScript::kScriptName));
        EXPECT_TRUE(QFile::copy(kData + "player-scripts/" + script + ".ini",
                                sourceFile(MovieScript::kScriptName)));
        for (const QString& name : QStringList{MovieScript::kScriptName, "a.bmp"}) {
            EXPECT_EQ(
                MLha::StoreInPackage(package, sourceFile(name), name == MovieScript::kScriptName),
                0);
        }
        return package;
    }

    bool play(const QString& commandLine) {
        CommandLine::set(commandLine);
        return openPlayer(false, work.path());
    }

    QStringList workFiles() const {
        return QDir(work.path()).entryList(QDir::Files | QDir::Hidden);
    }
    // The files in the player's work folder, once what is read ahead is in.
    bool workFilesBecome(const QStringList& expected) {
        return waitUntil([&] { return workFiles() == expected; }, 3000);
    }

    QTemporaryDir source;
};

TEST_F(PlayerPackage, EachFrameIsTakenFromThePackageAndItsFilesRemovedAsUsed) {
    const QString package = sourceFile("movie one.sdw");
    makeMovie(package,
              {{"SW001.bmp", 100, "s1.wav"},
               {"SW002.bmp", 100, "s1.wav"},
               {"SW003.bmp", 100, "s2.wav"},
               {"SW004.bmp", 100, ""}},
              0, {"s1.wav", "s2.wav"});
    ASSERT_TRUE(play(u'"' + package + u'"'));
    EXPECT_EQ(movieData.packagePath, package);
    EXPECT_EQ(movieData.packageFolder, source.path() + u'/');
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
    EXPECT_EQ(movie->cmdNo->text(), "001/004");
    // The script and the pictures are gone; the sound stays while it plays,
    // and the next frame's comes out ahead of it.
    const std::vector<QStringList> files = {{"s1.wav"}, {"s1.wav", "s2.wav"}, {"s2.wav"}, {}};
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(movie->size(), QSize(310 + 10 * k, 240));
        EXPECT_EQ(movie->Pic1->pixmap().toImage().pixel(0, 0), frameColour(k - 1).rgb());
        EXPECT_TRUE(workFilesBecome(files[static_cast<size_t>(k - 1)]));
        EXPECT_TRUE(endCodes.empty());
        movie->Pic1_DblClick();
    }
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_TRUE(QFileInfo(package).isFile()) << "the package itself is never touched";
}

TEST_F(PlayerPackage, WithoutAPackageTheOpenDialogChooses) {
    FileDialogs::setNextFileName(QString());
    EXPECT_FALSE(play(QString()));
    ASSERT_EQ(FileDialogs::askedDialogs().size(), 1u);
    const FileDialogs::Asked& asked = FileDialogs::askedDialogs()[0];
    EXPECT_TRUE(QFileInfo(asked.startFolder).isDir());
    EXPECT_EQ(endCodes, std::vector<int>{0}) << "a cancel ends";

    // A file that is not there ends too; neither says a word.
    FileDialogs::setNextFileName(sourceFile("nowhere.sdw"));
    EXPECT_FALSE(play(QString()));
    EXPECT_EQ(endCodes, (std::vector<int>{0, 0}));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    const QString package = sourceFile("chosen.sdw");
    makeMovie(package, {{"a.bmp", 100, ""}, {"b.bmp", 100, ""}}, 0);
    FileDialogs::setNextFileName(u'"' + package + u'"');
    ASSERT_TRUE(play(QString()));
    EXPECT_EQ(movieData.packagePath, package);
    EXPECT_EQ(movieData.packageFolder, source.path() + u'/');
    EXPECT_EQ(movie->cmdNo->text(), "001/002");
}

// A missing package or an invalid script ends after its box; a newer
// version warns and plays on.
TEST_F(PlayerPackage, TheScriptsBoxesEndOrPlayOn) {
    const struct {
        QString commandLine;
        MovieMessage message;
        std::vector<int> ends;
    } cases[] = {{sourceFile("gone.sdw"), MovieMessage::InvalidPackage, {1}},
                 {packageWithScript("invalid"), MovieMessage::InvalidScript, {1}},
                 {packageWithScript("newer"), MovieMessage::NewerVersion, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine.toStdString());
        MessageBox::clearShownBoxes();
        endCodes.clear();
        EXPECT_EQ(play(c.commandLine), c.ends.empty());
        ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
        const auto box = MovieMessages::of(c.message);
        EXPECT_EQ(MessageBox::shownBoxes()[0].title, box.title);
        EXPECT_EQ(MessageBox::shownBoxes()[0].icon, box.icon);
        EXPECT_EQ(endCodes, c.ends);
    }
    EXPECT_EQ(movie->cmdNo->text(), "001/001");
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
}

// Packages built to hurt stop the player before anything is unpacked, each
// with its box at its frame's turn, and leave nothing of theirs behind.
TEST_F(PlayerPackage, HostilePackagesEndAfterTheirBoxLeavingNothingBehind) {
    const struct {
        QString package;
        bool firstFrameShows;
        MovieMessage message;
    } cases[] = {
        {"zeros-2gb.sdw", false, MovieMessage::MemberTooLarge},
        {"pixel-bomb.sdw", false, MovieMessage::PictureTooLarge},
        {"folder-member.sdw", false, MovieMessage::InvalidPackage},
        {"crc-damage.sdw", true, MovieMessage::InvalidPackage},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.package.toStdString());
        MessageBox::clearShownBoxes();
        endCodes.clear();
        EXPECT_EQ(play(kData + "hostile-packages/" + hostile.package), hostile.firstFrameShows);
        if (hostile.firstFrameShows) {
            // The damaged second frame was read ahead: no word of it yet.
            EXPECT_TRUE(workFilesBecome({}));
            EXPECT_TRUE(MessageBox::shownBoxes().empty());
            movie->Pic1_DblClick();
        }
        ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
        const auto box = MovieMessages::of(hostile.message);
        EXPECT_TRUE(MessageBox::shownBoxes()[0].text.startsWith(box.text.section(u'\r', 0, 0)));
        EXPECT_EQ(MessageBox::shownBoxes()[0].title, box.title);
        EXPECT_EQ(endCodes, std::vector<int>{1});
        EXPECT_TRUE(workFilesBecome({}));
    }
}

// The player's loader alone on a package of four frames.
class FrameReadAhead : public PlayerPackage {
protected:
    void SetUp() override {
        PlayerPackage::SetUp();
        doc = makeMovie(sourceFile("movie.sdw"),
                        {{"SW001.bmp", 0, "s1.wav"},
                         {"SW002.bmp", 0, "s1.wav"},
                         {"SW003.bmp", 0, "s2.wav"},
                         {"SW004.bmp", 0, ""}},
                        0, {"s1.wav", "s2.wav"});
    }
    static QRgb corner(const FramePicture& picture) { return picture.image.pixel(0, 0); }

    MovieDoc doc;
};

// A jump, or the end, drops the frame read ahead with what it took out.
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
    ASSERT_TRUE(SoundFiles::writeFile(sourceFile("SW002.bmp"), "BM no picture"));
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
