#pragma once

// Sound files of known length, written byte by byte so the tests need no
// sample files and know exactly what they play.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace SoundFiles {

inline void append(QByteArray& out, std::uint32_t value, int bytes, bool bigEndian = false) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * (bigEndian ? bytes - 1 - i : i))) & 0xFF));
    }
}

// A mono 16-bit PCM tone at half of full scale.
inline QByteArray toneWav(double seconds, double frequency = 440.0, int sampleRate = 22050) {
    const int frames = static_cast<int>(seconds * sampleRate);
    QByteArray samples;
    for (int i = 0; i < frames; ++i) {
        double value = 0.5 * std::sin(2 * M_PI * frequency * i / sampleRate);
        append(samples, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 32767)), 2);
    }
    QByteArray wav("RIFF");
    append(wav, 36 + samples.size(), 4);
    wav.append("WAVEfmt ");
    append(wav, 16, 4);
    append(wav, 1, 2);  // PCM
    append(wav, 1, 2);  // mono
    append(wav, sampleRate, 4);
    append(wav, sampleRate * 2, 4);
    append(wav, 2, 2);
    append(wav, 16, 2);
    wav.append("data");
    append(wav, samples.size(), 4);
    wav.append(samples);
    return wav;
}

inline QByteArray variableLength(std::uint32_t value) {
    QByteArray out;
    out.prepend(static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        out.prepend(static_cast<char>((value & 0x7F) | 0x80));
    }
    return out;
}

inline QByteArray chunk(const char* tag, const QByteArray& body) {
    QByteArray out(tag, 4);
    append(out, body.size(), 4, true);
    return out + body;
}

inline QByteArray event(std::uint32_t delta, std::initializer_list<int> bytes) {
    QByteArray out = variableLength(delta);
    for (int b : bytes) {
        out.append(static_cast<char>(b));
    }
    return out;
}

inline QByteArray tempo(std::uint32_t delta, std::uint32_t microsecondsPerQuarter) {
    return event(delta,
                 {0xFF, 0x51, 0x03, int(microsecondsPerQuarter >> 16),
                  int((microsecondsPerQuarter >> 8) & 0xFF), int(microsecondsPerQuarter & 0xFF)});
}

// Three organ chords, 1.5 s in all: a quarter at 120 bpm (0.5 s), then a
// tempo change to 60 bpm and a quarter (1.0 s). Note-offs are note-ons of
// velocity 0 under running status, as most sequencers write them (restated after the
// tempo change, which cancels running status).
inline QByteArray chordsMidi() {
    const int division = 480;
    QByteArray track;
    track += tempo(0, 500000);
    track += event(0, {0xC0, 19});  // church organ: it sustains until released
    track += event(0, {0x90, 60, 100});
    track += event(0, {64, 100});
    track += event(division, {60, 0});
    track += event(0, {64, 0});
    track += tempo(0, 1000000);
    track += event(0, {0x90, 67, 100});
    track += event(0, {72, 100});
    track += event(division, {67, 0});
    track += event(0, {72, 0});
    track += event(0, {0xFF, 0x2F, 0x00});  // end of track
    QByteArray header;                      // format 0: one track
    append(header, 0, 2, true);
    append(header, 1, 2, true);
    append(header, division, 2, true);
    return chunk("MThd", header) + chunk("MTrk", track);
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace SoundFiles
