#include "Crc16.h"

#include <array>

namespace lha {
namespace {

// Eight tables let the loop take eight bytes a step: members are pictures
// of several megabytes, and the CRC runs over every byte.
constexpr int kSlice = 8;
using Tables = std::array<std::array<std::uint16_t, 256>, kSlice>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
        }
        t[0][i] = static_cast<std::uint16_t>(c);
    }
    for (unsigned i = 0; i < 256; ++i) {
        for (int k = 1; k < kSlice; ++k) {
            const std::uint16_t prev = t[k - 1][i];
            t[k][i] = static_cast<std::uint16_t>((prev >> 8) ^ t[0][prev & 0xFF]);
        }
    }
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> bytes, std::uint16_t crc) {
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    std::uint32_t c = crc;
    while (n >= kSlice) {
        c ^= static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
        c = kTables[7][c & 0xFF] ^ kTables[6][(c >> 8) & 0xFF] ^ kTables[5][p[2]] ^
            kTables[4][p[3]] ^ kTables[3][p[4]] ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^
            kTables[0][p[7]];
        p += kSlice;
        n -= kSlice;
    }
    while (n-- > 0) {
        c = (c >> 8) ^ kTables[0][(c ^ *p++) & 0xFF];
    }
    return static_cast<std::uint16_t>(c);
}

}  // namespace lha
