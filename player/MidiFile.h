#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

// What the player needs to know of a standard MIDI file without playing it.
namespace MidiFile {

// A standard MIDI file, bare ("MThd") or wrapped in a RIFF "RMID" file.
bool looksLikeMidi(std::span<const std::uint8_t> data);

// How long a sequencer plays the file: from its start to its last
// end-of-track, through every tempo change. Nothing when the file is not a
// well-formed standard MIDI file (bad header, a chunk running past the end of
// the file, an event cut short).
std::optional<std::chrono::microseconds> playingTime(std::span<const std::uint8_t> data);

}  // namespace MidiFile
