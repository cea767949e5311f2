#include "MatchFinder.h"

#include <algorithm>
#include <vector>

#include "HashChains.h"

namespace lha {
namespace {

// Blocks are cut at multiples of this; small chunks let the trees follow
// a picture's changing content.
constexpr std::size_t kChunkTokens = 1024;

// What a match is worth: four points a byte, less a point for each bit its
// distance takes.
int Gain(unsigned length, unsigned distance) {
    return static_cast<int>(length) * 4 - (32 - __builtin_clz(distance + 1));
}

}  // namespace

void ParseLz77(std::span<const std::uint8_t> data, int dictionaryBits, const ParseEffort& effort,
               const std::function<bool(std::span<const Token>)>& consume) {
    std::vector<Token> tokens;
    tokens.reserve(kChunkTokens + 2);
    auto emit = [&](Token t) {
        tokens.push_back(t);
        if (tokens.size() >= kChunkTokens) {
            const bool go_on = consume(tokens);
            tokens.clear();
            return go_on;
        }
        return true;
    };

    HashChains chains(data, dictionaryBits, effort.hashBytes, effort.shortChain);
    // Pictures repeat at a few distances (a pixel, a row): the latest match
    // distances find them without walking chains full of runs.
    std::vector<unsigned> recent(static_cast<std::size_t>(std::max(effort.recentDistances, 0)), 0);
    auto remember = [&](unsigned distance) {
        if (recent.empty()) {
            return;
        }
        auto found = std::find(recent.begin(), recent.end(), distance);
        if (found == recent.end()) {
            found = recent.end() - 1;
        }
        std::rotate(recent.begin(), found, found + 1);
        recent.front() = distance;
    };
    const std::size_t n = data.size();
    const std::size_t end = chains.hashableEnd();
    std::size_t pos = 0;
    while (pos < end) {
        auto [length, distance] = chains.longest(pos, kMinMatch - 1, effort.maxChain,
                                                 effort.niceLength, effort.farLength3, recent);
        if (length == 0) {
            if (!emit(LiteralToken(data[pos]))) {
                return;
            }
            ++pos;
            continue;
        }
        // Lazy evaluation: a better match one or two bytes on is worth the
        // literals before it. Better weighs length against the bits of the
        // distance, so a slightly longer match far back does not win.
        std::size_t inserted = pos + 1;
        std::size_t start = pos;
        for (int ahead = 1; ahead <= 2 && length < static_cast<unsigned>(effort.lazyLimit) &&
                            start + ahead < end;) {
            const std::size_t at = start + static_cast<std::size_t>(ahead);
            const int chain = length >= static_cast<unsigned>(effort.goodLength)
                                  ? effort.maxChain / 4
                                  : effort.maxChain;
            auto [next, nextDistance] = chains.longest(at, kMinMatch - 1, chain, effort.niceLength,
                                                       effort.farLength3, recent);
            inserted = at + 1;
            if (next != 0 && Gain(next, nextDistance) > Gain(length, distance) + 2 * ahead) {
                start = at;
                length = next;
                distance = nextDistance;
                ahead = 1;
                continue;
            }
            ++ahead;
        }
        for (; pos < start; ++pos) {
            if (!emit(LiteralToken(data[pos]))) {
                return;
            }
        }
        if (!emit(MatchToken(length, distance))) {
            return;
        }
        remember(distance);
        chains.insertRange(inserted, pos + length);
        pos += length;
    }
    for (; pos < n; ++pos) {
        if (!emit(LiteralToken(data[pos]))) {
            return;
        }
    }
    if (!tokens.empty()) {
        consume(tokens);
    }
}

}  // namespace lha
