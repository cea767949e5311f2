#pragma once

#include <QString>

#include <memory>

class MidiSynth;

// A frame's sound as the player plays it, turned into samples: 48 kHz,
// stereo, interleaved floats, read from its start.
class SoundClip {
public:
    static constexpr int kRate = 48000;
    static constexpr int kChannels = 2;

    virtual ~SoundClip() = default;

    // Up to `frames` sample frames into `out`; fewer only at the sound's end,
    // 0 once it has ended.
    virtual int read(float* out, int frames) = 0;

    // A WAV (or any sound the player's WAV loader knows) through FFmpeg's
    // decoders, or a standard MIDI file through FluidSynth, told apart by
    // content as the player does. Nothing when the player would play nothing:
    // no such file, not a sound, a broken MIDI file.
    static std::unique_ptr<SoundClip> Open(const QString& path, MidiSynth& synth);
};
