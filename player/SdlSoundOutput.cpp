#include "SdlSoundOutput.h"

#include "player/MidiFile.h"
#include "player/SoundFont.h"

#include <QFile>
#include <QFileInfo>

#include <SDL.h>

#include <cstring>

namespace {

constexpr int outputFrequency = 44100;
// 1024 frames is 23 ms: short enough that the end of a sound is heard
// within one poll of being mixed.
constexpr int outputBufferFrames = 1024;
constexpr qint64 largestMidiFile = 16 * 1024 * 1024;
constexpr int soundChannel = 0;
// When the device falls behind (a busy machine, a slow synthesiser), a sound
// still ends this long after its length has passed, so that a frame held for
// it is not held much longer than the sound's length.
constexpr std::chrono::milliseconds lateAllowance(50);

void chooseSoundFont() {
    if (SoundFont::chosenByEnvironment()) {
        return;
    }
    const QStringList fonts = SoundFont::paths();
    if (!fonts.isEmpty()) {
        Mix_SetSoundFonts(QFile::encodeName(fonts.first()).constData());
    }
}

bool hasMidiName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mid") || suffix == QLatin1String("midi") ||
           suffix == QLatin1String("rmi") || suffix == QLatin1String("kar");
}

// What a file is to the player: a MIDI sequence with its playing time, a
// damaged MIDI file (the synthesiser would play silence), or anything else,
// left to the WAV decoder.
struct MidiCheck {
    bool midi = false;
    std::optional<std::chrono::microseconds> length;
};

MidiCheck checkMidi(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {hasMidiName(path), std::nullopt};
    }
    const QByteArray head = file.peek(12);
    const bool midi =
        MidiFile::looksLikeMidi(std::span(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                          static_cast<std::size_t>(head.size())));
    if (!midi) {
        return {hasMidiName(path), std::nullopt};
    }
    if (file.size() > largestMidiFile) {
        return {true, std::nullopt};
    }
    const QByteArray data = file.readAll();
    return {true,
            MidiFile::playingTime(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                            static_cast<std::size_t>(data.size())))};
}

}  // namespace

std::unique_ptr<SdlSoundOutput> SdlSoundOutput::open() {
    // The program handles its own termination signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
    }
    // The dummy driver discards everything: as good as no device.
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::strcmp(driver, "dummy") == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    Mix_Init(MIX_INIT_MID);
    chooseSoundFont();
    if (Mix_OpenAudio(outputFrequency, AUDIO_S16SYS, 2, outputBufferFrames) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    const int frameBytes = channels * (SDL_AUDIO_BITSIZE(format) / 8);
    std::unique_ptr<SdlSoundOutput> output(new SdlSoundOutput(frequency, frameBytes));
    Mix_SetPostMix(&SdlSoundOutput::countMixedFrames, output.get());
    return output;
}

SdlSoundOutput::SdlSoundOutput(int frequency, int frameBytes)
    : frequency_(frequency > 0 ? frequency : outputFrequency),
      frameBytes_(frameBytes > 0 ? frameBytes : 4) {}

SdlSoundOutput::~SdlSoundOutput() {
    close();
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundOutput::start(const QString& path) {
    close();
    const MidiCheck check = checkMidi(path);
    if (!check.midi) {
        return startWave(path);
    }
    return check.length && startMidi(path, *check.length);
}

bool SdlSoundOutput::startWave(const QString& path) {
    std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk(
        Mix_LoadWAV(QFile::encodeName(path).constData()));
    if (!chunk || Mix_PlayChannel(soundChannel, chunk.get(), 0) < 0) {
        return false;
    }
    startedAt_ = std::chrono::steady_clock::now();
    length_ =
        std::chrono::microseconds(std::int64_t(chunk->alen) / frameBytes_ * 1000000 / frequency_);
    chunk_ = std::move(chunk);
    return true;
}

bool SdlSoundOutput::startMidi(const QString& path, std::chrono::microseconds length) {
    std::unique_ptr<Mix_Music, MusicDeleter> music(
        Mix_LoadMUS(QFile::encodeName(path).constData()));
    if (!music) {
        return false;
    }
    // The mixer counts only while music plays, and nothing plays now, so no
    // frame of an earlier sound reaches the fresh count.
    framesPlayed_ = 0;
    if (Mix_PlayMusic(music.get(), 0) != 0) {
        return false;
    }
    startedAt_ = std::chrono::steady_clock::now();
    length_ = length;
    music_ = std::move(music);
    return true;
}

bool SdlSoundOutput::pastItsLength() const {
    return std::chrono::steady_clock::now() - startedAt_ >= length_ + lateAllowance;
}

bool SdlSoundOutput::isPlaying() {
    if (chunk_) {
        if (Mix_Playing(soundChannel) == 0) {
            return false;
        }
        if (pastItsLength()) {
            Mix_HaltChannel(soundChannel);
            return false;
        }
        return true;
    }
    if (!music_ || !Mix_PlayingMusic()) {
        return false;
    }
    if (playedTime() >= length_ || pastItsLength()) {
        Mix_HaltMusic();
        return false;
    }
    return true;
}

void SdlSoundOutput::close() {
    if (chunk_) {
        Mix_HaltChannel(soundChannel);
        chunk_.reset();
    }
    if (music_) {
        Mix_HaltMusic();
        music_.reset();
    }
}

void SdlSoundOutput::countMixedFrames(void* self, Uint8*, int length) {
    auto* output = static_cast<SdlSoundOutput*>(self);
    if (Mix_PlayingMusic()) {
        output->framesPlayed_ += length / output->frameBytes_;
    }
}

std::chrono::microseconds SdlSoundOutput::playedTime() const {
    return std::chrono::microseconds(framesPlayed_.load() * 1000000 / frequency_);
}
