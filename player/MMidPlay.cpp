#include "MMidPlay.h"

#include "common/ProgramEnd.h"
#include "player/SoundOutput.h"

#include <QTimer>

namespace MMidPlay {
namespace {

constexpr int pollIntervalMs = 50;

// Destroyed at exit too, so the audio thread never outlives the program.
std::unique_ptr<SoundOutput> output;

// The device opens on the first sound, so a movie without sounds never
// touches the audio system.
SoundOutput& device() {
    if (!output) {
        output = SoundOutput::openDevice();
        ProgramEnd::addHook(&CloseAudio);
    }
    return *output;
}

}  // namespace

bool PlaySound(const QString& path, QTimer& timer) {
    if (!device().start(path)) {
        return false;
    }
    timer.setInterval(pollIntervalMs);
    timer.start();
    return true;
}

void StopSound(QTimer&) {
    if (output) {
        output->close();
    }
}

bool PollSound(QTimer& timer) {
    if (!output || !output->isOpen()) {
        timer.stop();
        return false;
    }
    if (!output->isPlaying()) {
        timer.stop();
        output->close();
        return false;
    }
    return true;
}

void CloseAudio() {
    output.reset();
}

}  // namespace MMidPlay
