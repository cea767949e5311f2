// MMidPlay (MIDI play): plays one WAV or MIDI sound at a time and tells when it ends.
#pragma once

#include <QString>

class QTimer;

// One sound at a time for the whole program, WAV or standard MIDI. Playing
// does not block: the caller's timer, started here at 50 ms, polls the sound
// until it ends.
namespace MMidPlay {

// Stops any sound and starts this one; on success starts the timer at 50 ms.
// False, with no message and the timer untouched, when the sound did not
// start: no audio device, no such file, not a playable sound.
bool PlaySound(const QString& path, QTimer& timer);

// Stops and closes the sound at once. The timer keeps running: its next poll
// finds nothing open and stops it.
void StopSound(QTimer& timer);

// True while the sound still plays. Once it has ended, or when none is open,
// stops the timer, closes the sound and returns false.
bool PollSound(QTimer& timer);

// Closes the audio device; the next PlaySound opens it again. Runs when the
// program ends.
void CloseAudio();

}  // namespace MMidPlay
