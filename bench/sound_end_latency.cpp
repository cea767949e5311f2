// How late the poll reports the end of a sound, for WAV and MIDI, against
// the sound's known length; and, for comparison, how long SDL_mixer alone
// keeps the same MIDI "playing". Run through tests/isolated.sh so that SDL
// renders to its disk driver in real time:
//   tests/isolated.sh build/bin/bench_sound_end_latency [rounds]
#include "player/MMidPlay.h"
#include "tests/player/SoundFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    std::vector<qint64> startMs;
    std::vector<qint64> lateMs;
};

void printRow(const char* what, std::vector<qint64> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %5lld  median %5lld  max %5lld ms\n", what,
                static_cast<long long>(values.front()),
                static_cast<long long>(values[values.size() / 2]),
                static_cast<long long>(values.back()));
}

Figures measure(const QString& path, qint64 lengthMs, int rounds) {
    Figures figures;
    QTimer timer;
    for (int i = 0; i < rounds; ++i) {
        QEventLoop loop;
        QElapsedTimer clock;
        qint64 endedAfter = -1;
        auto connection = QObject::connect(&timer, &QTimer::timeout, [&] {
            if (!MMidPlay::PollSound(timer)) {
                endedAfter = clock.elapsed();
                loop.quit();
            }
        });
        QElapsedTimer startClock;
        startClock.start();
        if (!MMidPlay::PlaySound(path, timer)) {
            std::fprintf(stderr, "%s did not start\n", qPrintable(path));
            return figures;
        }
        clock.start();
        figures.startMs.push_back(startClock.elapsed());
        loop.exec();
        QObject::disconnect(connection);
        figures.lateMs.push_back(endedAfter - lengthMs);
    }
    return figures;
}

// SDL_mixer on its own: how long Mix_PlayingMusic stays true, polled every 10 ms.
qint64 mixerAloneMs(const QString& path) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        return -1;
    }
    if (qEnvironmentVariableIsEmpty("SDL_SOUNDFONTS")) {
        Mix_SetSoundFonts("/usr/share/sounds/sf2/TimGM6mb.sf2");
    }
    qint64 result = -1;
    if (Mix_Music* music = Mix_LoadMUS(QFile::encodeName(path).constData())) {
        Mix_PlayMusic(music, 0);
        QElapsedTimer clock;
        clock.start();
        while (Mix_PlayingMusic() && clock.elapsed() < 20000) {
            QThread::msleep(10);
        }
        result = clock.elapsed();
        Mix_FreeMusic(music);
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QTemporaryDir folder;
    const QString wav = folder.filePath("tone.wav");
    const QString midi = folder.filePath("chords.mid");
    if (!SoundFiles::writeFile(wav, SoundFiles::toneWav(1.0)) ||
        !SoundFiles::writeFile(midi, SoundFiles::chordsMidi())) {
        return 1;
    }
    std::printf(
        "audio driver: %s, %d rounds each\n",
        qgetenv("SDL_AUDIODRIVER").isEmpty() ? "(default)" : qgetenv("SDL_AUDIODRIVER").constData(),
        rounds);

    Figures wavFigures = measure(wav, 1000, rounds);
    Figures midiFigures = measure(midi, 1500, rounds);
    MMidPlay::CloseAudio();
    if (wavFigures.lateMs.empty() || midiFigures.lateMs.empty()) {
        return 1;
    }
    printRow("WAV 1000 ms: PlaySound takes", wavFigures.startMs);
    printRow("WAV 1000 ms: poll reports the end late by", wavFigures.lateMs);
    printRow("MIDI 1500 ms: PlaySound takes", midiFigures.startMs);
    printRow("MIDI 1500 ms: poll reports the end late by", midiFigures.lateMs);
    const qint64 alone = mixerAloneMs(midi);
    std::printf("%-44s %lld ms (late by %lld ms)\n", "MIDI 1500 ms: SDL_mixer alone plays for",
                static_cast<long long>(alone), static_cast<long long>(alone - 1500));
    return 0;
}
