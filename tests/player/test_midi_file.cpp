#include "player/MidiFile.h"
#include "tests/player/SoundFiles.h"

#include <gtest/gtest.h>

using namespace SoundFiles;
using std::chrono::microseconds;

namespace {

std::optional<microseconds> timeOf(const QByteArray& bytes) {
    return MidiFile::playingTime(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size())));
}

bool looksLikeMidi(const QByteArray& bytes) {
    return MidiFile::looksLikeMidi(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                  static_cast<std::size_t>(bytes.size())));
}

QByteArray rmid(const QByteArray& smf) {
    QByteArray body("RMID");
    body += "LIST";
    appendLittle(body, 4, 4);
    body += "INFO";
    body += "data";
    appendLittle(body, smf.size(), 4);
    body += smf;
    if (smf.size() % 2) {
        body += '\0';
    }
    QByteArray riff("RIFF");
    appendLittle(riff, body.size(), 4);
    return riff + body;
}

QByteArray singleTrack(int division, const QByteArray& track) {
    return midiHeader(0, 1, division) + chunk("MTrk", track);
}

}  // namespace

TEST(MidiPlayingTime, CountsTicksByTempoAndDivisionToTheEndOfTheLongestTrack) {
    const QByteArray someNotes = event(0, {0x90, 60, 90}) + event(480, {0x80, 60, 0});
    const struct {
        const char* what;
        QByteArray file;
        int milliseconds;
    } cases[] = {
        {"tempo changes and running status", chordsMidi(), 1500},
        {"no tempo event: 120 bpm",
         singleTrack(480, event(0, {0x90, 60, 90}) + event(960, {0x80, 60, 0}) + endOfTrack(0)),
         1000},
        // A bar of rest after the last note is part of the piece.
        {"until the end of track, not the last note",
         singleTrack(96, event(0, {0x90, 60, 90}) + event(96, {0x80, 60, 0}) + endOfTrack(96)),
         1000},
        // 480 ticks at 0.5 s per quarter, then 1440 ticks at 0.25 s per quarter.
        {"a conductor track's tempo holds for the longest track",
         midiHeader(1, 2, 480) +
             chunk("MTrk", tempo(0, 500000) + tempo(480, 250000) + endOfTrack(0)) +
             chunk("MTrk", event(0, {0x90, 60, 90}) + event(960, {60, 0}) + endOfTrack(960)),
         1250},
        {"tempo changes after the end do not count",
         midiHeader(1, 2, 480) +
             chunk("MTrk", tempo(0, 1000000) + tempo(480, 100000) + endOfTrack(0)) +
             chunk("MTrk", someNotes + endOfTrack(0)),
         1000},
        // 25 frames per second, 40 ticks per frame: a tick is 1 ms whatever the tempo.
        {"SMPTE division counts frames, not beats",
         singleTrack(0xE728, tempo(0, 250000) + event(0, {0x90, 60, 90}) +
                                 event(2000, {0x80, 60, 0}) + endOfTrack(0)),
         2000},
        {"system exclusive, text, programs, pressure and unknown chunks are skipped",
         midiHeader(0, 1, 480) + chunk("XFIH", QByteArray(7, 'x')) +
             chunk("MTrk", event(0, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}) +
                               event(0, {0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'}) +
                               event(0, {0xC0, 0x05}) + event(0, {0xD0, 0x40}) + someNotes +
                               endOfTrack(0)),
         500},
        {"the sequence inside a RIFF MIDI file", rmid(chordsMidi()), 1500},
        {"a track without end of track ends with its last event", singleTrack(480, someNotes),
         500}};
    for (const auto& c : cases) {
        EXPECT_EQ(timeOf(c.file), microseconds(c.milliseconds * 1000)) << c.what;
    }
    EXPECT_TRUE(looksLikeMidi(rmid(chordsMidi())));
}

TEST(MidiPlayingTime, RefusesDamagedFilesAndKnowsMidiByItsSignatureOnly) {
    const QByteArray good = chordsMidi();
    const QByteArray note = event(0, {0x90, 60, 90});
    const std::pair<const char*, QByteArray> damaged[] = {
        {"track cut short", good.left(good.size() - 5)},
        {"header without its track", good.left(14)},
        {"header cut short", "MThd"},
        {"no tracks", midiHeader(0, 0, 480)},
        {"division 0", singleTrack(0, endOfTrack(0))},
        {"data byte before any status", singleTrack(480, event(0, {60, 90}) + endOfTrack(0))},
        {"delta time longer than four bytes",
         singleTrack(480, QByteArray("\x81\x81\x81\x81\x01\xFF\x2F\x00", 8))},
        {"running status across a meta event",
         singleTrack(480, note + tempo(0, 400000) + event(480, {60, 0}) + endOfTrack(0))},
        {"running status across a system exclusive message",
         singleTrack(480,
                     note + event(0, {0xF0, 0x01, 0xF7}) + event(480, {60, 0}) + endOfTrack(0))},
        {"tempo of the wrong length",
         singleTrack(480, event(0, {0xFF, 0x51, 0x02, 0x07, 0xA1}) + endOfTrack(0))},
        {"end of track with data", singleTrack(480, event(0, {0xFF, 0x2F, 0x01, 0x00}))},
        {"real-time message in a file", singleTrack(480, event(0, {0xF8}) + endOfTrack(0))},
        {"meta event longer than its track", singleTrack(480, event(0, {0xFF, 0x51, 0x09, 1, 2}))},
        {"fewer tracks than the header says", midiHeader(1, 2, 480) + chunk("MTrk", endOfTrack(0))},
        {"RMID without data", QByteArray("RIFF\x04\x00\x00\x00RMID", 12)},
        {"a WAV file", toneWav(0.01)},
        {"empty", QByteArray()}};
    for (const auto& [what, bytes] : damaged) {
        EXPECT_FALSE(timeOf(bytes)) << what;
    }
    EXPECT_TRUE(looksLikeMidi(good));
    EXPECT_FALSE(looksLikeMidi(toneWav(0.01)));
    EXPECT_FALSE(looksLikeMidi(QByteArray("MTh")));
    EXPECT_FALSE(looksLikeMidi(QByteArray("RIFF\0\0\0\0WAVE", 12)));
}
