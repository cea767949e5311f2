#pragma once

#include <QString>

#include <memory>

// Where sounds go: the audio device, or nowhere when the machine has none.
// One sound is open at a time; MMidPlay drives it.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Loads the file and starts it, closing any sound that was open first.
    // False when nothing started: no device, no such file, not a sound.
    virtual bool start(const QString& path) = 0;
    // A sound was started and not closed since, whether or not it still sounds.
    virtual bool isOpen() const = 0;
    // The open sound still sounds. A sound past its end is halted here.
    virtual bool isPlaying() = 0;
    // Halts and closes the open sound; harmless when none is open.
    virtual void close() = 0;

    // The one place the back end is chosen: the audio device when it opens,
    // else an output that plays nothing.
    static std::unique_ptr<SoundOutput> openDevice();
};
