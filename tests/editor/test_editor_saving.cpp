// Saves that must either work all the way (the package opens again in the
// player and the editor, every name intact) or fail in the open: with a
// message, the earlier package whole and no temporary package left, also
// when a signal or a file-size limit strikes halfway.
#include "EditorFixture.h"

#include "app/TerminationSignals.h"
#include "editor/frames/FrameRows.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/PackageSave.h"
#include "moviefile/RunIdentity.h"
#include "moviefile/WorkFolder.h"
#include "player/frmMovie.h"
#include "tests/player/SoundFiles.h"

#include <QCoreApplication>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace {

class EditorSaving : public EditorTest {
protected:
    QString target() const { return scratch.filePath("movie.sdw"); }

    // Hidden files beside the package: where a temporary package would be.
    QStringList hiddenFiles() const {
        return entriesOf(scratch.path()).filter(QRegularExpression("^\\."));
    }

    // A picture of noise, which no packing makes much smaller.
    void addNoiseFrame(int k, int side) {
        QImage image(side, side, QImage::Format_RGB32);
        QRandomGenerator(static_cast<quint32>(k))
            .fillRange(reinterpret_cast<quint32*>(image.bits()), image.sizeInBytes() / 4);
        const QString name = QStringLiteral("noise%1.bmp").arg(k);
        const QString written = editor->workFiles().scratchFolder() + u'/' + name;
        ASSERT_TRUE(image.save(written, "BMP"));
        ASSERT_TRUE(editor->workFiles().adopt(written, name));
        movie.frames[k] = FrameEntry{true, name, 100, {}};
    }

    bool saveAs(const QString& path) {
        editor->rows()->DrawFrameRows(1);
        return EditorTest::saveAs(path);
    }

    // A one-frame package saved, then three frames of noise added: the
    // earlier package's bytes.
    QByteArray savedThenGrown() {
        TerminationSignals::install();
        addFrame(1, "a.bmp", Qt::red);
        EXPECT_TRUE(saveAs(target()));
        for (int k = 2; k <= 4; ++k) {
            addNoiseFrame(k, 200);  // 120 kB each
        }
        MessageBox::clearShownBoxes();
        return readFile(target());
    }

    PackageSave::SaveResult saveDirectly(const std::function<void(int)>& progress) {
        return PackageSave::SavePackage(movie, workFolder(), target(),
                                        movie.CheckFrameSequence().count, {}, progress,
                                        editor->workFiles().scratchFolder());
    }

    // Each frame of a package through the player, as it shows them: its
    // picture and the colour at its corner.
    void playEveryFrame(const QString& package, const std::vector<QColor>& colours) {
        CommandLine::set(package);
        MovieDoc played;
        QPointer<frmMovie> movie =
            new frmMovie(played, WorkFolder::privateFolder().value_or(QString()), false);
        EXPECT_TRUE(movie->Form_Load());
        // By hand, whatever the movie's mode.
        movie->cmdAuto_Click();
        for (int k = 1; movie && k <= static_cast<int>(colours.size()); ++k) {
            if (k > 1) {
                movie->Pic1_DblClick();
            }
            ASSERT_EQ(movie->engine().currentFrame(), k);
            const QImage shown = movie->Pic1->pixmap().toImage();
            EXPECT_EQ(shown.pixel(0, 0), colours[static_cast<size_t>(k - 1)].rgb()) << k;
        }
        delete movie.data();
        CommandLine::set(QString());
    }
};

TEST_F(EditorSaving, EveryNameSavedComesBackInThePlayerAndTheEditor) {
    // Half-width katakana whose CP932 bytes are UTF-8 too, the yen sign and
    // the wave dash that CP932 maps elsewhere, NEC and IBM extensions, 0x5C
    // trail bytes, commas, outer blanks, emoji.
    const QStringList stems{"ﾃｽ",          "ﾃｱﾃｱ",        "ｱｲｳｴｵ",    "¥100",     "波〜線",
                            "全角～",      "①Ⅻ㈱㍉",      "髙﨑彅",   "ソ表能十", "a,b",
                            " lead",       "trail ",      "😀🎞", "Ünïcödé",  "SW001",
                            "mixed ﾃｽ 表", "ﾃｽ,｡ ¥〜 ①😀 "};
    std::vector<QColor> colours;
    for (int k = 1; k <= stems.size(); ++k) {
        const QString& stem = stems[k - 1];
        colours.push_back(QColor::fromHsv(k * 20, 200, 200).toRgb());
        addFrame(k, stem + ".bmp", colours.back(), 100, stem + ".wav", SoundFiles::toneWav(0.05));
    }
    ASSERT_TRUE(saveAs(target()));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    playEveryFrame(target(), colours);
    EXPECT_TRUE(MessageBox::shownBoxes().empty()) << MessageBox::shownBoxes()[0].text.toStdString();
    EXPECT_TRUE(endCodes.empty());

    open(target());
    EXPECT_TRUE(MessageBox::shownBoxes().size() <= 1u) << "at most the question to open";
    for (int k = 1; k <= stems.size(); ++k) {
        const FrameEntry& frame = movie.frames[k];
        EXPECT_EQ(fields(frame), fields({true, stems[k - 1] + ".bmp", 100, stems[k - 1] + ".wav"}));
        EXPECT_TRUE(editor->workFiles().owns(frame.pictureFile)) << k;
        EXPECT_TRUE(editor->workFiles().owns(frame.soundFile)) << k;
        EXPECT_EQ(QImage(workFile(frame.pictureFile)).pixel(0, 0),
                  colours[static_cast<size_t>(k - 1)].rgb());
    }
}

TEST_F(EditorSaving, NamesAPackageCannotCarryAreRefusedAndNamed) {
    addFrame(1, "good.bmp", Qt::red);
    ASSERT_TRUE(saveAs(target()));
    const QByteArray earlier = readFile(target());

    const struct {
        QStringList pictures;
        QString sound;
        QStringList refused;
    } cases[] = {
        // Two files the archiver's matching, which ignores letter case, takes
        // for one.
        {{"photo.bmp", "PHOTO.bmp"}, {}, {"photo.bmp", "PHOTO.bmp"}},
        // A picture the editor would not unpack again: the blank is last.
        {{"picture.bmp "}, {}, {"picture.bmp "}},
        // A sound the editor would not unpack again.
        {{"p.bmp"}, "tune.mp3", {"tune.mp3"}},
    };
    for (const auto& unstorable : cases) {
        SCOPED_TRACE(unstorable.refused.join(u'|').toStdString());
        MessageBox::setNextAnswer(MessageBox::Answer::Yes);
        editor->mnuNew_Click();
        MessageBox::clearShownBoxes();
        for (int k = 1; k <= unstorable.pictures.size(); ++k) {
            addFrame(k, unstorable.pictures[k - 1], Qt::blue, 0, unstorable.sound,
                     unstorable.sound.isEmpty() ? QByteArray() : "ID3");
        }
        EXPECT_FALSE(saveAs(target()));
        EXPECT_EQ(boxes(), std::vector{boxOf(MovieMessage::UnstorableNames,
                                             unstorable.refused.join("\r\n"))});
        EXPECT_EQ(readFile(target()), earlier) << "the earlier package stays as it was";
        EXPECT_TRUE(hiddenFiles().isEmpty());
    }
}

TEST_F(EditorSaving, ATerminatingSignalMidSaveTakesTheTemporaryPackageAlong) {
    const QByteArray earlier = savedThenGrown();
    QStringList leftAtTheEnd{"(the end never came)"};
    QByteArray packageAtTheEnd;
    ProgramEnd::setHandler([&](int code) {
        endCodes.push_back(code);
        leftAtTheEnd = hiddenFiles();
        packageAtTheEnd = readFile(target());
    });
    // SIGTERM arrives while the archiver works; the save's next look at
    // the event loop takes it to the program's end.
    bool raised = false;
    saveDirectly([&](int) {
        if (!raised) {
            raised = true;
            ::raise(SIGTERM);
        }
        QCoreApplication::processEvents();
    });
    EXPECT_EQ(endCodes, std::vector<int>{128 + SIGTERM});
    EXPECT_TRUE(leftAtTheEnd.isEmpty()) << leftAtTheEnd.join(u' ').toStdString();
    EXPECT_EQ(packageAtTheEnd, earlier);
}

TEST_F(EditorSaving, AFileSizeLimitFailsTheSaveNotTheProgram) {
    const QByteArray earlier = savedThenGrown();
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool stored = saveAs(target());
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(stored);
    EXPECT_EQ(boxTexts(), std::vector<QString>{"保存に失敗しました"});
    EXPECT_EQ(readFile(target()), earlier);
    EXPECT_TRUE(hiddenFiles().isEmpty()) << hiddenFiles().join(u' ').toStdString();
    EXPECT_TRUE(endCodes.empty());
}

TEST_F(EditorSaving, TheNextSaveClearsWhatAKilledSaveLeft) {
    for (int k = 1; k <= 4; ++k) {
        addNoiseFrame(k, 100);
    }
    // A save killed halfway, in a process of its own.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        saveDirectly([](int percent) {
            if (percent >= 50) {
                ::kill(::getpid(), SIGKILL);
            }
        });
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_FALSE(hiddenFiles().isEmpty()) << "the killed save left its temporary package";
    // Hidden files that are not a dead save's: the user's, and one of a
    // save still running (this process stands in for it).
    writeFile(scratch.filePath(".movie.sdw.backup"), {});
    const QString running = QStringLiteral(".slidewright-save-%1-%2-AbC123")
                                .arg(::getpid())
                                .arg(RunIdentity::currentRun().section(u'-', 1));
    writeFile(scratch.filePath(running), {});

    ASSERT_TRUE(saveAs(target()));
    QStringList left = hiddenFiles();
    left.sort();
    EXPECT_EQ(left, (QStringList{".movie.sdw.backup", running}));
}

}  // namespace
