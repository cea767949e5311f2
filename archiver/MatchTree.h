// The optimal parse's match finder: a binary tree of the window's positions
// ordered by the bytes that follow them, one tree a 3-byte hash. Walking
// down from the root meets ever longer matches, so one walk reports every
// useful match at a position however repetitive the picture is.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "archiver/MatchFinder.h"
#include "archiver/MatchSupport.h"

namespace lha {

class MatchTree {
public:
    static constexpr int kHashBits = 16;

    MatchTree(std::span<const std::uint8_t> data, int dictionaryBits)
        : data_(data.data()),
          size_(data.size()),
          windowMask_((std::size_t{1} << dictionaryBits) - 1),
          maxDistance_((std::size_t{1} << dictionaryBits) - 1),
          head_(std::size_t{1} << kHashBits, -1),
          children_(std::size_t{2} << dictionaryBits, -1),
          flat_(data) {}

    // Positions from here on have too few bytes left to hash.
    std::size_t hashableEnd() const { return size_ >= 8 ? size_ - 7 : 0; }

    // Each match at `pos` longer than those before it, in increasing length,
    // visiting at most `depth` nodes and then trying the `candidates`
    // distances (0 is none); inserts `pos`. Returns how many were
    // written to `out` (at most kMaxMatch - kMinMatch + 1).
    int collect(std::size_t pos, int depth, std::span<const unsigned> candidates, Match* out) {
        const std::size_t limit = std::min<std::size_t>(kMaxMatch, size_ - pos);
        unsigned best = kMinMatch - 1;
        int found = 0;
        if (!flat_.inside(pos)) {
            const std::uint8_t* here = data_ + pos;
            walk(pos, depth, limit, [&](unsigned length, std::size_t known, std::size_t distance) {
                if (length <= best) {
                    return;
                }
                // The walk takes the first `known` bytes as equal from the tree's
                // order; near the end of the input, where fewer bytes were
                // compared, that order is rough. A wrong match would corrupt
                // the stream, so those bytes are checked before it counts.
                if (known != 0 && std::memcmp(here, here - distance, known) != 0) {
                    length = MatchLength(here, here - distance, 0, limit);
                    if (length <= best) {
                        return;
                    }
                }
                best = length;
                out[found++] = {length, static_cast<unsigned>(distance)};
            });
        }
        const std::uint8_t* here = data_ + pos;
        for (const unsigned distance : candidates) {
            if (distance == 0 || distance > pos || best >= limit) {
                continue;
            }
            const std::uint8_t* there = here - distance;
            if (there[best] == here[best] && there[0] == here[0]) {
                const unsigned length = MatchLength(here, there, 0, limit);
                if (length > best) {
                    best = length;
                    out[found++] = {length, distance};
                }
            }
        }
        // The walk and the candidates each report increasing lengths, but a
        // candidate may be further back than a longer match of the walk.
        return found;
    }

    // Inserts `pos` without reporting matches.
    void skip(std::size_t pos, int depth) {
        if (pos < hashableEnd() && !flat_.inside(pos)) {
            walk(pos, depth, std::min<std::size_t>(kMaxMatch, size_ - pos),
                 [](unsigned, std::size_t, std::size_t) {});
        }
    }

private:
    // Inserts `pos` as the root of its hash's tree, splitting the old tree
    // into the nodes before and after it, and hands each node met on the way
    // to `report` with the length it shares with `pos`.
    template <typename Report>
    void walk(std::size_t pos, int depth, std::size_t limit, Report&& report) {
        const std::uint32_t h = hash(pos);
        std::int32_t node = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
        std::int32_t* smaller = &children_[2 * (pos & windowMask_)];
        std::int32_t* larger = &children_[2 * (pos & windowMask_) + 1];
        // Every node left below shares at least this many bytes with pos.
        std::size_t smallerLength = 0;
        std::size_t largerLength = 0;
        const std::uint8_t* here = data_ + pos;
        while (node >= 0 && depth-- > 0) {
            const std::size_t distance = pos - static_cast<std::size_t>(node);
            if (distance == 0 || distance > maxDistance_) {
                break;
            }
            std::int32_t* pair = &children_[2 * (static_cast<std::size_t>(node) & windowMask_)];
            const std::uint8_t* there = data_ + node;
            const std::size_t known = std::min(smallerLength, largerLength);
            const std::size_t length = MatchLength(here, there, known, limit);
            report(static_cast<unsigned>(length), known, distance);
            if (length >= limit) {
                // As long as pos as far as it can tell: pos takes its place.
                *smaller = pair[0];
                *larger = pair[1];
                return;
            }
            if (there[length] < here[length]) {
                *smaller = node;
                smaller = &pair[1];
                node = *smaller;
                smallerLength = length;
            } else {
                *larger = node;
                larger = &pair[0];
                node = *larger;
                largerLength = length;
            }
        }
        *smaller = -1;
        *larger = -1;
    }

    std::uint32_t hash(std::size_t pos) const {
        const std::uint64_t v = Load64(data_ + pos) & 0xFFFFFF;
        return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t windowMask_;
    std::size_t maxDistance_;
    std::vector<std::int32_t> head_;
    // Two a window slot: the subtree before the position, then the one after.
    std::vector<std::int32_t> children_;
    FlatRuns flat_;
};

}  // namespace lha
