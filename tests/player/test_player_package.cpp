// The player on real packages made with the program's archiver: choosing
// the package, reading its script, taking each frame's files out of it and
// removing them as they are used, and the boxes that end the program.
#include "PlayerMovies.h"

#include "common/FileDialogs.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieMessages.h"

#include <QDirIterator>

using namespace PlayerMovies;

namespace {

struct PackageFrame {
    QString picture;
    int waitMs;
    QString sound;
};

class PlayerPackage : public PlayerTest {
protected:
    void SetUp() override {
        PlayerTest::SetUp();
        previewMode = false;
        ASSERT_TRUE(source.isValid());
        if (ArchiverLibrary::instance() == nullptr) {
            ASSERT_TRUE(ArchiverLibrary::load(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so"));
        }
        FileDialogs::clearAskedDialogs();
        CommandLine::set(QString());
    }
    void TearDown() override {
        CommandLine::set(QString());
        PlayerTest::TearDown();
    }

    QString sourceFile(const QString& name) const { return QDir(source.path()).filePath(name); }

    static QByteArray script(const std::vector<PackageFrame>& frames, int mode,
                             const QByteArray& version = "03.01") {
        QByteArray text = "VER," + version + "\r\nMAX," + QByteArray::number(frames.size()) +
                          "\r\nLOOP,0\r\nJIDOU," + QByteArray::number(mode) +
                          "\r\nLOOPWAIT,10\r\nOPTEND,START\r\n";
        for (size_t i = 0; i < frames.size(); ++i) {
            const QByteArray k = QByteArray::number(static_cast<int>(i) + 1).rightJustified(3, '0');
            text += "NAME," + k + "," + frames[i].picture.toUtf8() + "\r\n";
            text += "WAIT," + k + "," + QByteArray::number(frames[i].waitMs) + "\r\n";
            text += "SOUND," + k + "," + frames[i].sound.toUtf8() + "\r\n";
        }
        return text + "END,END,END\r\n";
    }

    // Stores the script and the named files, written beforehand into the
    // source folder, into a new package; false when the archiver cannot.
    bool makePackage(const QString& package, const QByteArray& scriptText,
                     const QStringList& members) {
        QFile file(sourceFile("Slidewright.ini"));
        if (!file.open(QIODevice::WriteOnly) || file.write(scriptText) != scriptText.size()) {
            return false;
        }
        file.close();
        bool startNew = true;
        for (const QString& name : QStringList{"Slidewright.ini"} + members) {
            if (MLha::StoreInPackage(package, sourceFile(name), startNew) != 0) {
                return false;
            }
            startNew = false;
        }
        return true;
    }

    // A package of these frames, pictures of 320 x 240 unless sized.
    void makeMovie(const QString& package, const std::vector<PackageFrame>& frames, int mode,
                   const QStringList& sounds = {}, const QByteArray& version = "03.01") {
        QStringList members;
        for (size_t i = 0; i < frames.size(); ++i) {
            if (!members.contains(frames[i].picture)) {
                writeBitmap(sourceFile(frames[i].picture), QSize(320 + 10 * int(i), 240), int(i));
                members << frames[i].picture;
            }
        }
        for (const QString& sound : sounds) {
            writeWave(sourceFile(sound), 3000);
            members << sound;
        }
        if (!makePackage(package, script(frames, mode, version), members)) {
            GTEST_SKIP() << "the archiver cannot make packages yet (lha::StoreFile or the "
                            "extraction command is still a stub)";
        }
        // Proves extraction works too, before a test leans on it.
        QTemporaryDir probe;
        if (MLha::ExtractFromPackage(package, probe.path(), "\"Slidewright.ini\"") != 0) {
            GTEST_SKIP() << "the archiver cannot extract from packages yet";
        }
    }

    // The files in the player's work folder right now.
    static QStringList workFiles() {
        QStringList names = QDir(WorkFolder::path()).entryList(QDir::Files | QDir::Hidden);
        names.sort();
        return names;
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
    if (IsSkipped()) {
        return;
    }
    CommandLine::set(u'"' + package + u'"');
    ASSERT_TRUE(openPlayer());
    EXPECT_EQ(movieDoc().packagePath, package);
    EXPECT_EQ(movieDoc().packageFolder, source.path() + u'/');
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
    EXPECT_NE(WorkFolder::path(), source.path());
    EXPECT_EQ(movie->size(), QSize(320, 240));
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("001/004"));
    // The script and the picture are gone; the sound stays while it plays.
    EXPECT_EQ(workFiles(), QStringList{"s1.wav"});

    movie->Pic1_DblClick();
    EXPECT_EQ(movie->size(), QSize(330, 240));
    // The same sound again: kept and played for this frame too.
    EXPECT_EQ(workFiles(), QStringList{"s1.wav"});
    EXPECT_TRUE(movie->tmrMidPlay->isActive());

    movie->Pic1_DblClick();
    EXPECT_EQ(workFiles(), QStringList{"s2.wav"});
    movie->Pic1_DblClick();
    EXPECT_TRUE(workFiles().isEmpty());
    EXPECT_TRUE(endCodes.empty());
    movie->Pic1_DblClick();
    EXPECT_EQ(endCodes, std::vector<int>{0});
    // The package itself is never touched.
    EXPECT_TRUE(QFileInfo(package).isFile());
}

TEST_F(PlayerPackage, AutomaticPlayRunsToTheEndOfThePackage) {
    const QString package = sourceFile("auto.sdw");
    makeMovie(package, {{"a.bmp", 30, ""}, {"b.bmp", 30, ""}, {"c.bmp", 30, ""}}, 1);
    if (IsSkipped()) {
        return;
    }
    CommandLine::set(package);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    ASSERT_TRUE(waitFor([&] { return !endCodes.empty(); }, 3000));
    EXPECT_EQ(seen.frameNumbers(), (std::vector<int>{2, 3}));
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(PlayerPackage, WithoutAPackageTheOpenDialogAsksAndItsCancelEnds) {
    FileDialogs::setNextFileName(QString());
    EXPECT_FALSE(openPlayer());
    ASSERT_EQ(FileDialogs::askedDialogs().size(), 1u);
    const FileDialogs::Asked& asked = FileDialogs::askedDialogs()[0];
    EXPECT_EQ(asked.kind, FileDialogs::Asked::Kind::Read);
    EXPECT_EQ(asked.title, QStringLiteral("開くﾌｧｲﾙを指定してください。"));
    ASSERT_EQ(asked.filter.size(), 1u);
    EXPECT_EQ(asked.filter[0].description, QStringLiteral("Slidewrightファイル    (*.sdw)"));
    EXPECT_EQ(asked.filter[0].pattern, QStringLiteral("*.sdw"));
    EXPECT_FALSE(asked.startFolder.endsWith(u'/'));
    EXPECT_TRUE(QFileInfo(asked.startFolder).isDir());
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_TRUE(MessageBox::shownBoxes().empty()) << "a cancel ends without a word";
}

TEST_F(PlayerPackage, AChosenFileThatDoesNotExistEndsTheProgramSilently) {
    FileDialogs::setNextFileName(sourceFile("nowhere.sdw"));
    EXPECT_FALSE(openPlayer());
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

TEST_F(PlayerPackage, TheOpenDialogsChoicePlays) {
    const QString package = sourceFile("chosen.sdw");
    makeMovie(package, {{"a.bmp", 100, ""}, {"b.bmp", 100, ""}}, 0);
    if (IsSkipped()) {
        return;
    }
    FileDialogs::setNextFileName(u'"' + package + u'"');
    ASSERT_TRUE(openPlayer());
    EXPECT_EQ(movieDoc().packagePath, package);
    EXPECT_EQ(movieDoc().packageFolder, source.path() + u'/');
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("001/002"));
    EXPECT_EQ(movie->cmdAuto->text(), QStringLiteral("Manual"));
}

TEST_F(PlayerPackage, ACommandLineNamingNoFileEndsAfterItsBox) {
    CommandLine::set(sourceFile("gone.sdw"));
    EXPECT_FALSE(openPlayer());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, QStringLiteral("異常終了"));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
    EXPECT_EQ(endCodes.size(), 1u);
}

TEST_F(PlayerPackage, AnInvalidScriptEndsAfterItsBox) {
    const QString package = sourceFile("bad script.sdw");
    writeBitmap(sourceFile("a.bmp"), QSize(50, 50), 0);
    if (!makePackage(package, "VER,03.01\r\nMAX,x\r\n", {"a.bmp"})) {
        GTEST_SKIP() << "the archiver cannot make packages yet";
    }
    CommandLine::set(package);
    EXPECT_FALSE(openPlayer());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, QStringLiteral("実行エラー"));
    EXPECT_EQ(endCodes.size(), 1u);
}

TEST_F(PlayerPackage, ANewerVersionWarnsAndPlaysOn) {
    const QString package = sourceFile("newer.sdw");
    makeMovie(package, {{"a.bmp", 100, ""}}, 0, {}, "09.00");
    if (IsSkipped()) {
        return;
    }
    CommandLine::set(package);
    ASSERT_TRUE(openPlayer());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, QStringLiteral("ＥＸＥ古いよ"));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, MessageBox::Icon::Exclamation);
    EXPECT_TRUE(endCodes.empty());
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("001/001"));
}

TEST_F(PlayerPackage, AFramePictureThatCannotLoadEndsAfterItsBox) {
    const QString package = sourceFile("broken frame.sdw");
    writeBitmap(sourceFile("a.bmp"), QSize(50, 50), 0);
    writeJunk(sourceFile("b.bmp"));
    if (!makePackage(package, script({{"a.bmp", 100, ""}, {"b.bmp", 100, ""}}, 0),
                     {"a.bmp", "b.bmp"})) {
        GTEST_SKIP() << "the archiver cannot make packages yet";
    }
    CommandLine::set(package);
    ASSERT_TRUE(openPlayer());
    movie->Pic1_DblClick();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, QStringLiteral("異常終了"));
    EXPECT_EQ(endCodes, std::vector<int>{1});
    EXPECT_FALSE(movie->tmrMain->isActive());
}

// Packages built to hurt stop the player before anything is unpacked, each
// with its box, and leave nothing of theirs in its folder.
TEST_F(PlayerPackage, HostilePackagesEndAfterTheirBoxLeavingNothingBehind) {
    const QString data = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/hostile-packages/");
    const struct {
        QString package;
        int framesShown;
        MovieMessage message;
    } cases[] = {
        {QStringLiteral("zeros-2gb.sdw"), 0, MovieMessage::MemberTooLarge},
        {QStringLiteral("pixel-bomb.sdw"), 0, MovieMessage::PictureTooLarge},
        {QStringLiteral("folder-member.sdw"), 0, MovieMessage::InvalidPackage},
        {QStringLiteral("crc-damage.sdw"), 1, MovieMessage::InvalidPackage},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.package.toStdString());
        MessageBox::clearShownBoxes();
        endCodes.clear();
        CommandLine::set(data + hostile.package);
        const bool loaded = openPlayer();
        EXPECT_EQ(loaded, hostile.framesShown > 0);
        if (loaded) {
            movie->Pic1_DblClick();
        }
        ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
        const auto box = MovieMessages::of(hostile.message);
        EXPECT_TRUE(MessageBox::shownBoxes()[0].text.startsWith(box.text.section(u'\r', 0, 0)));
        EXPECT_EQ(MessageBox::shownBoxes()[0].title, box.title);
        EXPECT_EQ(endCodes, std::vector<int>{1});
        EXPECT_EQ(workFiles(), QStringList());
        delete movie.data();
    }
}

}  // namespace
