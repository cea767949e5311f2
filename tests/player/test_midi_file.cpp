// The playing time of the MIDI files in tests/data/midi-timing, each named
// after its length in milliseconds; every file of tests/data/midi-damaged
// is refused. Their READMEs say what each one holds.
#include "player/MidiFile.h"
#include "tests/player/SoundFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

using std::chrono::microseconds;

namespace {

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

}  // namespace

TEST(MidiPlayingTime, CountsTicksByTempoAndDivisionToTheEndOfTheLongestTrack) {
    const auto timed = filesIn("midi-timing");
    EXPECT_EQ(timed.size(), 9u);
    for (const auto& [name, bytes] : timed) {
        const int milliseconds = name.section(u'-', 0, 0).toInt();
        EXPECT_EQ(MidiFile::playingTime(bytesOf(bytes)), microseconds(milliseconds * 1000))
            << name.toStdString();
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
