#include "MatchFinder.h"

#include <algorithm>
#include <vector>

#include "HashChains.h"

namespace lha {
namespace {

// Blocks are cut at multiples of this; small chunks let the trees follow
// a picture's changing content.
constexpr std::size_t kChunkTokens = 1024;

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

    HashChains chains(data, dictionaryBits, effort.hashBytes);
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
        // Lazy evaluation: a longer match one byte on is worth a literal.
        std::size_t inserted = pos + 1;
        while (length < static_cast<unsigned>(effort.lazyLimit) && pos + 1 < end) {
            const int chain = length >= static_cast<unsigned>(effort.goodLength)
                                  ? effort.maxChain / 4
                                  : effort.maxChain;
            auto [next, nextDistance] = chains.longest(pos + 1, length, chain, effort.niceLength,
                                                       effort.farLength3, recent);
            inserted = pos + 2;
            if (next <= length) {
                break;
            }
            if (!emit(LiteralToken(data[pos]))) {
                return;
            }
            ++pos;
            length = next;
            distance = nextDistance;
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
