// Any bytes at all: the MIDI reader answers or refuses, never reads out of
// bounds, never overflows.
#include "fuzz/FuzzCheck.h"
#include "player/MidiFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (MidiFile::looksLikeMidi(bytes)) {
        if (auto length = MidiFile::playingTime(bytes)) {
            FuzzCheck(length->count() >= 0);
        }
    }
    return 0;
}
