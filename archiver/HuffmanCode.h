#pragma once

#include <cstdint>
#include <span>

namespace lha {

// Code lengths of an optimal prefix code for `freq`, no longer than
// `maxLength`. Symbols of frequency 0 get length 0. With a single used
// symbol its length is 0 too: LHA sends such a tree as that one symbol,
// coded with no bits. Returns the number of symbols used.
int BuildCodeLengths(std::span<const std::uint32_t> freq, int maxLength,
                     std::span<std::uint8_t> lengths);

// Canonical codes for the lengths: shorter codes first, equal lengths in
// symbol order, which is how LHA decoders rebuild them.
void AssignCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

// Bits the symbols cost with these lengths.
std::uint64_t CodedBits(std::span<const std::uint32_t> freq, std::span<const std::uint8_t> lengths);

}  // namespace lha
