#pragma once

#include <QByteArray>

#include <chrono>
#include <memory>

class SoundClip;

// FluidSynth with the soundfonts the player uses, set up as SDL_mixer sets
// it up for the player: made once for an export, and only when a MIDI
// sound asks for it.
class MidiSynth {
public:
    MidiSynth();
    ~MidiSynth();
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;

    // The sequence rendered from its start for `length` (the player stops
    // it there, before FluidSynth's last notes have rung out). Nothing when
    // there is no soundfont or FluidSynth refuses the file. The clip uses
    // this synthesiser: one clip at a time.
    std::unique_ptr<SoundClip> Play(const QByteArray& midi, std::chrono::microseconds length);

    struct Engine;

private:
    bool ready();

    std::unique_ptr<Engine> engine_;
    bool tried_ = false;
};
