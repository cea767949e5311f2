// MMidPlay against SDL's disk audio driver: what it renders is read back
// from the raw file the driver writes (SDL_DISKAUDIOFILE), which also serves
// as the clock. How late the end is reported is bench_sound_end_latency's.
// And the playing time of the MIDI files in tests/data/midi-timing, each
// named after its length in milliseconds; every file of tests/data/midi-damaged
// is refused. Their READMEs say what each one holds.
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "player/MMidPlay.h"
#include "player/MidiFile.h"
#include "tests/player/SoundFiles.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdlib>

namespace {

struct Rendering {
    double firstSoundSeconds = -1;  // from the opening of the device
    double lastSoundSeconds = -1;
    double peak = 0;  // of full scale

    double soundingSeconds() const { return lastSoundSeconds - firstSoundSeconds; }
};

class Sound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ASSERT_STREQ(std::getenv("SDL_AUDIODRIVER"), "disk") << "run through tests/isolated.sh";
        MMidPlay::CloseAudio();
        MessageBox::clearShownBoxes();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (!MMidPlay::PollSound(timer)) {
                ended = true;
            }
        });
    }
    void TearDown() override {
        MMidPlay::StopSound(timer);
        MMidPlay::CloseAudio();
        EXPECT_TRUE(MessageBox::shownBoxes().empty()) << "sound never shows a message";
    }

    QString write(const QString& name, const QByteArray& bytes) {
        QString path = folder.filePath(name);
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        EXPECT_TRUE(SoundFiles::writeFile(path, bytes));
        return path;
    }

    bool play(const QString& path) {
        bool started = MMidPlay::PlaySound(path, timer);
        ended = false;
        if (started) {
            Mix_QuerySpec(&frequency, &format, &channels);
        }
        return started;
    }

    // Runs the event loop, and so the poll timer, until the poll reports the end.
    bool waitForEnd() {
        return QTest::qWaitFor([this] { return ended; }, 8000);
    }

    // Seconds of audio the device has rendered so far, by the driver's file.
    double renderedSeconds() const {
        const qint64 bytes = QFileInfo(qEnvironmentVariable("SDL_DISKAUDIOFILE")).size();
        return channels > 0 && frequency > 0 ? double(bytes) / (2.0 * channels * frequency) : 0;
    }
    // Lets the device render this much more audio.
    bool letPlay(double seconds) {
        const double until = renderedSeconds() + seconds;
        return QTest::qWaitFor([&] { return renderedSeconds() >= until; }, 5000);
    }

    // Closes the device, which flushes the driver's file, and reads it.
    Rendering rendered() {
        MMidPlay::CloseAudio();
        Rendering result;
        QFile file(QString::fromLocal8Bit(std::getenv("SDL_DISKAUDIOFILE")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "the disk driver wrote nothing";
        EXPECT_EQ(format, AUDIO_S16SYS);
        if (channels <= 0 || frequency <= 0 || format != AUDIO_S16SYS) {
            return result;
        }
        const QByteArray raw = file.readAll();
        const auto* samples = reinterpret_cast<const std::int16_t*>(raw.constData());
        const qsizetype count = raw.size() / 2;
        qsizetype first = -1, last = -1;
        int peak = 0;
        for (qsizetype i = 0; i < count; ++i) {
            int magnitude = std::abs(static_cast<int>(samples[i]));
            peak = std::max(peak, magnitude);
            if (magnitude > 64) {  // about -54 dB: above any dither, below any note
                if (first < 0) {
                    first = i;
                }
                last = i;
            }
        }
        if (first >= 0) {
            result.firstSoundSeconds = double(first / channels) / frequency;
            result.lastSoundSeconds = double(last / channels) / frequency;
        }
        result.peak = peak / 32768.0;
        return result;
    }

    QTemporaryDir folder;
    QTimer timer;
    bool ended = false;
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
};

// At 11025 Hz, so that the mixer resamples it: all of it must still be
// heard, from a path with blanks and Japanese characters.
TEST_F(Sound, WavPlaysToItsEndAndThePollSeesTheEndPromptly) {
    const QString path = write(QString::fromUtf8("音声 ﾌｧｲﾙ/チャイム　テスト 1.wav"),
                               SoundFiles::toneWav(1.0, 440, 11025));
    ASSERT_TRUE(play(path));
    EXPECT_TRUE(timer.isActive());
    EXPECT_TRUE(MMidPlay::PollSound(timer));

    ASSERT_TRUE(waitForEnd()) << "the poll never reported the end";
    EXPECT_FALSE(timer.isActive()) << "the poll that finds the end stops the timer";
    EXPECT_FALSE(MMidPlay::PollSound(timer)) << "a later poll also reads as not playing";

    Rendering out = rendered();
    EXPECT_GT(out.peak, 0.4) << "the tone is at half of full scale";
    EXPECT_NEAR(out.soundingSeconds(), 1.0, 0.01) << "all of it, and the end not reported early";
}

TEST_F(Sound, MidiPlaysItsNotesAndEndsWithItsLastEventNotTheReverb) {
    const QString path = write("chords.mid", SoundFiles::chordsMidi());
    ASSERT_TRUE(play(path));
    EXPECT_TRUE(timer.isActive());

    ASSERT_TRUE(waitForEnd()) << "the poll never reported the end";
    EXPECT_FALSE(timer.isActive());

    // The synthesiser is halted at the poll, so nothing sounds after it:
    // the reverb's seconds of tail would.
    ASSERT_TRUE(letPlay(0.3));
    Rendering out = rendered();
    EXPECT_GT(out.peak, 0.02) << "the synthesiser played the chords";
    // A device that falls behind is cut at the sequence's length, so a
    // little of the end may be missing on a busy machine.
    EXPECT_GE(out.soundingSeconds(), 1.4);
    EXPECT_LE(out.soundingSeconds(), 1.65);
}

TEST_F(Sound, StopSilencesAtOnceAndTheNextPollStopsTheTimer) {
    const QString path = write("tone.wav", SoundFiles::toneWav(1.0));
    ASSERT_TRUE(play(path));
    ASSERT_TRUE(letPlay(0.3));
    MMidPlay::StopSound(timer);
    const double stoppedAt = renderedSeconds();
    EXPECT_TRUE(timer.isActive()) << "the timer runs on until its next poll";
    EXPECT_TRUE(QTest::qWaitFor([this] { return !timer.isActive(); }, 1000));
    EXPECT_FALSE(MMidPlay::PollSound(timer));

    Rendering out = rendered();
    // Stopped some 0.3 s into a 1 s tone: no more than that was heard, give
    // or take the buffers the mixer and the file had ready.
    EXPECT_GT(out.soundingSeconds(), 0.2);
    EXPECT_LT(out.soundingSeconds(), stoppedAt + 0.1);
    MMidPlay::StopSound(timer);  // nothing open: harmless
}

TEST_F(Sound, ASecondSoundReplacesTheFirst) {
    const QString longer = write("long.wav", SoundFiles::toneWav(1.0, 440));
    const QString shorter = write("short.mid", SoundFiles::chordsMidi());
    ASSERT_TRUE(play(longer));
    ASSERT_TRUE(letPlay(0.2));
    // Where the switch fell in the rendered audio, as a loaded machine
    // may have rendered more than asked.
    const double switchedAt = renderedSeconds();
    ASSERT_TRUE(play(shorter));
    ASSERT_TRUE(waitForEnd());
    // The end reported is the second sound's: the chords sound to theirs.
    Rendering out = rendered();
    EXPECT_GT(out.soundingSeconds(), switchedAt + 1.4);
    EXPECT_LT(out.soundingSeconds(), switchedAt + 1.65);
}

TEST_F(Sound, FilesThatAreNotSoundsDoNotStart) {
    timer.setInterval(1234);
    const QByteArray midi = SoundFiles::chordsMidi();
    QByteArray badFormat = SoundFiles::toneWav(0.2);
    badFormat[20] = 0x55;  // an audio format no decoder knows
    const QStringList paths = {
        folder.filePath("missing.wav"),
        folder.filePath("missing.mid"),
        write("text.wav", "this is not a sound at all\r\n"),
        write("text.mid", "this is not a sound at all\r\n"),
        write("empty.wav", QByteArray()),
        write("cut.mid", midi.left(midi.size() - 7)),
        write("badformat.wav", badFormat),
        folder.path(),
    };
    for (const QString& path : paths) {
        EXPECT_FALSE(play(path)) << qPrintable(path);
        EXPECT_FALSE(timer.isActive()) << qPrintable(path);
        EXPECT_EQ(timer.interval(), 1234) << "a failed play leaves the timer alone";
        EXPECT_FALSE(MMidPlay::PollSound(timer));
    }
    // A sound still plays after all those failures, and a failure stops it.
    EXPECT_TRUE(play(write("tone.wav", SoundFiles::toneWav(1.0))));
    EXPECT_FALSE(play(paths[0]));
    EXPECT_FALSE(MMidPlay::PollSound(timer));
}

TEST_F(Sound, WithoutAnAudioDeviceNothingStartsAndTheProgramsEndClosesIt) {
    const QString path = write("tone.wav", SoundFiles::toneWav(0.2));
    for (const char* driver : {"dummy", "no-such-driver"}) {
        qputenv("SDL_AUDIODRIVER", driver);
        MMidPlay::CloseAudio();
        EXPECT_FALSE(play(path)) << driver;
        EXPECT_FALSE(timer.isActive()) << driver;
        EXPECT_FALSE(MMidPlay::PollSound(timer)) << driver;
        MMidPlay::StopSound(timer);
    }
    qputenv("SDL_AUDIODRIVER", "disk");
    MMidPlay::CloseAudio();
    ProgramEnd::resetForTests();
    ProgramEnd::setHandler([](int) {});
    EXPECT_TRUE(play(path)) << "the device opens again once there is one";
    ProgramEnd::endProgram(0);
    EXPECT_FALSE(MMidPlay::PollSound(timer)) << "the program's end closes it";
    ProgramEnd::setHandler(nullptr);
    ProgramEnd::resetForTests();
}

const QString kData = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/");

std::span<const std::uint8_t> bytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

std::vector<std::pair<QString, QByteArray>> filesIn(const QString& folder) {
    std::vector<std::pair<QString, QByteArray>> files;
    for (const QString& name : QDir(kData + folder).entryList({"*.mid", "*.wav"}, QDir::Files)) {
        QFile file(kData + folder + u'/' + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        files.emplace_back(name, file.readAll());
    }
    return files;
}

TEST(MidiPlayingTime, CountsTicksByTempoAndDivisionToTheEndOfTheLongestTrack) {
    const auto timed = filesIn("midi-timing");
    EXPECT_EQ(timed.size(), 9u);
    for (const auto& [name, bytes] : timed) {
        const std::chrono::milliseconds length(name.section(u'-', 0, 0).toInt());
        EXPECT_EQ(MidiFile::playingTime(bytesOf(bytes)), length) << name.toStdString();
    }
    EXPECT_TRUE(MidiFile::looksLikeMidi(bytesOf(SoundFiles::chordsMidi())));
}

TEST(MidiPlayingTime, RefusesDamagedFilesAndKnowsMidiByItsSignatureOnly) {
    const auto damaged = filesIn("midi-damaged");
    EXPECT_EQ(damaged.size(), 17u);
    for (const auto& [name, bytes] : damaged) {
        EXPECT_FALSE(MidiFile::playingTime(bytesOf(bytes))) << name.toStdString();
    }
    for (const QByteArray& other :
         {SoundFiles::toneWav(0.01), QByteArray("MTh"), QByteArray("RIFF\0\0\0\0WAVE", 12)}) {
        EXPECT_FALSE(MidiFile::looksLikeMidi(bytesOf(other)));
    }
}

}  // namespace
