#include "MatchFinder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace lha {
namespace {

constexpr int kHashBits = 16;
// Blocks are cut at multiples of this; small chunks let the trees follow
// a picture's changing content.
constexpr std::size_t kChunkTokens = 1024;

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Hash chains over the whole input: head holds the latest position of each
// 3-byte hash, prev links each position to the one before it with that hash.
class HashChains {
public:
    HashChains(std::span<const std::uint8_t> data, int dictionaryBits, int hashBytes)
        : hashMask_(~std::uint64_t{0} >> (64 - 8 * std::clamp(hashBytes, 3, 8))),
          data_(data.data()),
          size_(data.size()),
          windowMask_((std::size_t{1} << dictionaryBits) - 1),
          maxDistance_((std::size_t{1} << dictionaryBits) - 1),
          head_(std::size_t{1} << kHashBits, -1),
          prev_(std::size_t{1} << dictionaryBits, -1) {}

    std::size_t hashableEnd() const { return size_ >= 8 ? size_ - 7 : 0; }

    void insert(std::size_t pos) {
        const std::uint32_t h = hash(pos);
        prev_[pos & windowMask_] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
    }

    void insertRange(std::size_t from, std::size_t to) {
        to = std::min(to, hashableEnd());
        for (std::size_t p = from; p < to; ++p) {
            insert(p);
        }
    }

    // The longest match at `pos` longer than `atLeast`, trying at most
    // `chain` earlier positions; inserts `pos`. Length 0 when none.
    std::pair<unsigned, unsigned> longest(std::size_t pos, unsigned atLeast, int chain,
                                          unsigned nice, unsigned farLength3,
                                          std::span<const unsigned> recent) {
        const std::uint32_t h = hash(pos);
        std::int32_t candidate = head_[h];
        prev_[pos & windowMask_] = candidate;
        head_[h] = static_cast<std::int32_t>(pos);

        const std::size_t limit = std::min<std::size_t>(kMaxMatch, size_ - pos);
        nice = std::min<unsigned>(nice, static_cast<unsigned>(limit));
        unsigned bestLength = atLeast;
        unsigned bestDistance = 0;
        const std::uint8_t* here = data_ + pos;
        while (candidate >= 0 && chain-- > 0) {
            const std::size_t distance = pos - static_cast<std::size_t>(candidate);
            if (distance > maxDistance_) {
                break;
            }
            const std::uint8_t* there = data_ + candidate;
            if (bestLength < limit && there[bestLength] == here[bestLength] &&
                there[0] == here[0] && there[1] == here[1]) {
                const unsigned length = matchLength(here, there, limit);
                if (length > bestLength && (length > 3 || distance <= farLength3)) {
                    bestLength = length;
                    bestDistance = static_cast<unsigned>(distance);
                    if (length >= nice) {
                        break;
                    }
                }
            }
            const std::int32_t next = prev_[static_cast<std::size_t>(candidate) & windowMask_];
            if (next >= candidate) {
                break;  // the slot was reused by a newer position
            }
            candidate = next;
        }
        if (bestLength < nice) {
            for (const unsigned distance : recent) {
                if (distance == 0 || distance > pos) {
                    continue;
                }
                const std::uint8_t* there = here - distance;
                if (there[bestLength] == here[bestLength] && there[0] == here[0]) {
                    const unsigned length = matchLength(here, there, limit);
                    if (length > bestLength && (length > 3 || distance <= farLength3)) {
                        bestLength = length;
                        bestDistance = distance;
                    }
                }
            }
        }
        if (bestDistance == 0) {
            return {0, 0};
        }
        return {bestLength, bestDistance};
    }

private:
    std::uint32_t hash(std::size_t pos) const {
        const std::uint64_t v = Load64(data_ + pos) & hashMask_;
        return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
    }

    unsigned matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) const {
        std::size_t n = 0;
        // Eight bytes a step while both reads stay inside the input.
        const std::size_t safe = std::min(limit, size_ - static_cast<std::size_t>(a - data_));
        while (n + 8 <= safe) {
            const std::uint64_t diff = Load64(a + n) ^ Load64(b + n);
            if (diff != 0) {
                n += static_cast<std::size_t>(__builtin_ctzll(diff)) / 8;
                return static_cast<unsigned>(std::min(n, limit));
            }
            n += 8;
        }
        while (n < limit && a[n] == b[n]) {
            ++n;
        }
        return static_cast<unsigned>(n);
    }

    std::uint64_t hashMask_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t windowMask_;
    std::size_t maxDistance_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
};

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
