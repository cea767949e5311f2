#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "archiver/LhaWriter.h"
#include "archiver/MatchFinder.h"

namespace lha {

// The parameters that set -lh5-, -lh6- and -lh7- apart.
struct MethodTraits {
    const char* id;      // "-lh7-"
    int dictionaryBits;  // 13, 15, 16
    int positionCodes;   // NP: one code per bit length of a distance
    int positionBits;    // bits that send the position tree's size
};

MethodTraits TraitsOf(Method method);

// The compressed stream of `data` for -lh5-, -lh6- or -lh7-, or nothing
// when it would be longer than `limit` bytes (the caller then stores).
std::optional<std::vector<std::uint8_t>> CompressLh(
    std::span<const std::uint8_t> data, Method method,
    std::size_t limit = std::numeric_limits<std::size_t>::max(), const ParseEffort& effort = {});

}  // namespace lha
