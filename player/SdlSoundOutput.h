#pragma once

#include "player/SoundOutput.h"

#include <SDL_mixer.h>

#include <atomic>
#include <chrono>
#include <cstdint>

// Sounds through SDL_mixer: a WAV decoded whole into a chunk on one channel
// (SDL_mixer's music stream drops the last buffer of a resampled WAV), a
// standard MIDI file synthesised by FluidSynth on the music stream.
class SdlSoundOutput final : public SoundOutput {
public:
    // Opens the audio device; nothing when there is no usable device.
    static std::unique_ptr<SdlSoundOutput> open();
    ~SdlSoundOutput() override;

    SdlSoundOutput(const SdlSoundOutput&) = delete;
    SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

    bool start(const QString& path) override;
    bool isOpen() const override { return music_ != nullptr || chunk_ != nullptr; }
    bool isPlaying() override;
    void close() override;

private:
    SdlSoundOutput(int frequency, int frameBytes);
    static void countMixedFrames(void* self, Uint8* stream, int length);
    std::chrono::microseconds playedTime() const;
    bool startMidi(const QString& path, std::chrono::microseconds length);
    bool startWave(const QString& path);
    bool pastItsLength() const;

    struct MusicDeleter {
        void operator()(Mix_Music* music) const { Mix_FreeMusic(music); }
    };

    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const { Mix_FreeChunk(chunk); }
    };

    int frequency_;
    int frameBytes_;
    std::unique_ptr<Mix_Music, MusicDeleter> music_;
    std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk_;
    // How long the open sound lasts: a WAV's decoded length, a MIDI
    // sequence's own length (FluidSynth lets it ring on for seconds after
    // its last event, so it ends when this much of it has been mixed).
    std::chrono::microseconds length_{0};
    std::chrono::steady_clock::time_point startedAt_;
    // Frames mixed while the music played, counted on the audio thread.
    std::atomic<std::int64_t> framesPlayed_{0};
};
