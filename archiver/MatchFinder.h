#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace lha {

// One step of the parse: a literal byte (symbol 0..255) or a match, whose
// symbol is 256 + length - 3 and whose distance minus one sits in the high
// half. That is the form LHA's literal/length and position trees code.
using Token = std::uint32_t;

inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 256;

inline Token LiteralToken(std::uint8_t byte) {
    return byte;
}
inline Token MatchToken(unsigned length, unsigned distance) {
    return (256 + length - kMinMatch) | ((distance - 1) << 16);
}
inline unsigned TokenSymbol(Token t) {
    return t & 0xFFFF;
}
inline unsigned TokenOffset(Token t) {
    return t >> 16;
}

// How hard the parser looks for matches. The defaults save a movie of
// 1080p desktops in under 6 s on two cores for 0.7 % more bytes than
// weighing every match up to 32 bytes against 768 candidates;
// bench_lha_writer measures others (SLIDEWRIGHT_LHA_EFFORT).
struct ParseEffort {
    int maxChain = 128;  // candidates tried at one position on the long chain (lazy parse)
    int shortChain = 8;  // and on the chain of 3-byte starts
    // A match this long is taken as it is, without weighing others.
    // Weighing those up to 32 bytes saved 0.4 % for a third more time.
    int lazyLimit = 8;
    // Inside a longer match still weighed, its rest is taken for the best
    // there (none while lazyLimit is at most one more).
    int goodLength = 8;
    int niceLength = 256;  // a match this long ends the search
    // 3-byte matches further back are dropped. In pictures even the furthest
    // one (a pixel) costs less than three literals, so none is by default.
    unsigned farLength3 = 65536;
    // Distances of the last matches taken whole, tried too; at most 8.
    // Once matches of 8 bytes are taken whole, they save 0.07 % for 3 %
    // more time.
    int recentDistances = 0;
    int hashBytes = 3;  // bytes the positions of one chain start with
};

// Parses `data` into tokens with matches reaching back at most
// 2^dictionaryBits - 1 bytes, handing them over in chunks in order. The
// parse is the cheapest path through the matches found at each position,
// priced by the statistics of the tokens just before.
// `consume` returns false to stop the parse early.
void ParseLz77(std::span<const std::uint8_t> data, int dictionaryBits, const ParseEffort& effort,
               const std::function<bool(std::span<const Token>)>& consume);

}  // namespace lha
