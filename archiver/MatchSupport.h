// Pieces of the match finder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace lha {

inline std::uint32_t Load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Bytes `a` and `b` have in common, counting on from `from` (already known
// equal) up to `limit`; `a + limit` must lie inside the input, `b` before a.
inline unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t from,
                            std::size_t limit) {
    std::size_t n = from;
    while (n + 8 <= limit) {
        const std::uint64_t diff = Load64(a + n) ^ Load64(b + n);
        if (diff != 0) {
            return static_cast<unsigned>(n + static_cast<std::size_t>(__builtin_ctzll(diff)) / 8);
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) {
        ++n;
    }
    return static_cast<unsigned>(n);
}

// Screen captures are 24-bit pictures.
inline constexpr std::size_t kPixel = 3;

// A run of one pixel or byte: distances always worth trying.
inline constexpr unsigned kRunDistances[2] = {kPixel, 1};

}  // namespace lha
