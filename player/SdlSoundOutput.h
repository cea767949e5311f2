#pragma once

#include "player/SoundOutput.h"

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

// Sounds through SDL_mixer's music stream: WAV decoded by SDL, standard MIDI
// files synthesised by FluidSynth with the General MIDI soundfont.
class SdlSoundOutput final : public SoundOutput {
public:
    // Opens the audio device; nothing when there is no usable device.
    static std::unique_ptr<SdlSoundOutput> open();
    ~SdlSoundOutput() override;

    SdlSoundOutput(const SdlSoundOutput&) = delete;
    SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

    bool start(const QString& path) override;
    bool isOpen() const override { return music_ != nullptr; }
    bool isPlaying() override;
    void close() override;

private:
    SdlSoundOutput(int frequency, int frameBytes);
    static void countMixedFrames(void* self, Uint8* stream, int length);
    std::chrono::microseconds playedTime() const;

    struct MusicDeleter {
        void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
    };

    int frequency_;
    int frameBytes_;
    std::unique_ptr<Mix_Music, MusicDeleter> music_;
    // FluidSynth lets a sequence ring on for seconds after its last event, so
    // a MIDI sound ends when this much of it has been mixed.
    std::optional<std::chrono::microseconds> sequenceLength_;
    // Frames mixed while the music played, counted on the audio thread.
    std::atomic<std::int64_t> framesPlayed_{0};
};
