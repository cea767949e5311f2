// The parse's match finder: hash chains over the whole input.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "archiver/MatchFinder.h"
#include "archiver/MatchSupport.h"

namespace lha {

// Two sets of hash chains over the whole input: head holds the latest
// position of each hash, prev links each position to the one before it with
// that hash. The short chains (positions starting with the same 3 bytes)
// find the near pixel matches; the long chains (the same 8 bytes) find long
// matches far back without wading through every position where a common
// pixel or glyph edge starts.
class HashChains {
public:
    static constexpr int kHashBits = 16;
    // Each longer match the last search met, shortest first.
    struct Found {
        unsigned length;
        unsigned distance;
    };
    static constexpr int kMaxFound = 8;
    // Distances of the latest matches tried at every position, at most.
    static constexpr std::size_t kMaxRecent = 8;

    HashChains(std::span<const std::uint8_t> data, int dictionaryBits, int hashBytes,
               int shortChain)
        : hashMask_(~std::uint64_t{0} >> (64 - 8 * std::clamp(hashBytes, kMinMatch, 8))),
          keyedOnMatchStart_(std::clamp(hashBytes, kMinMatch, 8) == kMinMatch),
          shortChain_(shortChain),
          data_(data.data()),
          size_(data.size()),
          windowMask_((std::size_t{1} << dictionaryBits) - 1),
          maxDistance_((std::size_t{1} << dictionaryBits) - 1),
          head_(std::size_t{1} << kHashBits, -1),
          prev_(std::size_t{1} << dictionaryBits, -1),
          headLong_(std::size_t{1} << kHashBits, -1),
          prevLong_(std::size_t{1} << dictionaryBits, -1) {}

    std::size_t hashableEnd() const { return size_ >= 8 ? size_ - 7 : 0; }

    // Distances tried at every position besides the recent ones: in a
    // picture, the pixel one row up and its neighbours.
    void setRowDistances(std::span<const unsigned> distances) {
        fixedCount_ = 0;
        for (const unsigned distance : kRunDistances) {
            distances_[fixedCount_++] = distance;
        }
        for (std::size_t i = 0; i < std::min<std::size_t>(distances.size(), 3); ++i) {
            if (distances[i] != 0) {
                distances_[fixedCount_++] = distances[i];
            }
        }
        distanceCount_ = fixedCount_;
    }

    // The distances of the latest matches, latest first, tried after the
    // others. One tried already cannot find a longer match, so it is left
    // out once here rather than tried again at every position.
    void setRecent(std::span<const unsigned> recent) {
        distanceCount_ = fixedCount_;
        for (std::size_t i = 0; i < std::min(recent.size(), kMaxRecent); ++i) {
            const unsigned distance = recent[i];
            if (distance != 0 && std::find(distances_.begin(), distances_.begin() + distanceCount_,
                                           distance) == distances_.begin() + distanceCount_) {
                distances_[distanceCount_++] = distance;
            }
        }
    }

    void insert(std::size_t pos) {
        const std::uint32_t h = hash(pos);
        prev_[pos & windowMask_] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
        const std::uint32_t g = hashLong(pos);
        prevLong_[pos & windowMask_] = headLong_[g];
        headLong_[g] = static_cast<std::int32_t>(pos);
    }

    void insertRange(std::size_t from, std::size_t to) {
        to = std::min(to, hashableEnd());
        for (std::size_t p = from; p < to; ++p) {
            insert(p);
        }
    }

    // The longest match at `pos` longer than `atLeast`, trying at most
    // `chain` earlier positions on the long chain and the short chain's
    // allowance on the other; inserts `pos` (on the long chain only where
    // its content is not new). Length 0 when none. Lists in `found` (room
    // for kMaxFound) the `count` matches it met that were longer than all
    // before them, written where the parse keeps them: a copy read back
    // soon after stalls on store forwarding.
    Found longest(std::size_t pos, unsigned atLeast, int chain, unsigned nice, unsigned farLength3,
                  Found* found, int& count) {
        const bool cached = pos == nextPos_;
        const std::uint32_t h = cached ? nextHash_ : hash(pos);
        std::int32_t candidate = head_[h];
        prev_[pos & windowMask_] = candidate;
        head_[h] = static_cast<std::int32_t>(pos);
        const std::uint32_t g = cached ? nextHashLong_ : hashLong(pos);
        std::int32_t candidateLong = headLong_[g];
        // The next position's heads are wanted next: fetch them while this
        // one is searched, and keep their hashes.
        if (pos + 9 <= size_) {
            nextPos_ = pos + 1;
            nextHash_ = hash(nextPos_);
            nextHashLong_ = hashLong(nextPos_);
            __builtin_prefetch(&head_[nextHash_]);
            __builtin_prefetch(&headLong_[nextHashLong_]);
        }
        int chainLong = chain;
        chain = std::min(chain, shortChain_);

        const std::size_t limit = std::min<std::size_t>(kMaxMatch, size_ - pos);
        nice = std::min<unsigned>(nice, static_cast<unsigned>(limit));
        unsigned bestLength = atLeast;
        unsigned bestDistance = 0;
        count = 0;
        auto better = [&](unsigned length, unsigned distance) {
            bestLength = length;
            bestDistance = distance;
            // Shorter matches are kept only when they are nearer, and so
            // may cost fewer bits than a longer one further back.
            while (count > 0 && found[count - 1].distance >= distance) {
                --count;
            }
            if (count == kMaxFound) {
                --count;
            }
            found[count++] = {length, distance};
        };
        const std::uint8_t* here = data_ + pos;
        while (candidate >= 0 && chain-- > 0) {
            const std::size_t distance = pos - static_cast<std::size_t>(candidate);
            if (distance > maxDistance_) {
                break;
            }
            const std::uint8_t* there = data_ + candidate;
            if (bestLength < limit && there[bestLength] == here[bestLength] &&
                there[0] == here[0] && there[1] == here[1]) {
                const unsigned length = MatchLength(here, there, 0, limit);
                if (length > bestLength && (length > 3 || distance <= farLength3)) {
                    better(length, static_cast<unsigned>(distance));
                    if (length >= nice) {
                        break;
                    }
                }
            }
            // A link's slot is taken again only a window further on, and a
            // position within the window was checked above: it is its own.
            candidate = prev_[static_cast<std::size_t>(candidate) & windowMask_];
        }
        // Where the short chain ran out before its allowance, it tried every
        // earlier position in the window that starts like this one. The
        // long chain's are among them, and so, where the short chain is
        // keyed on the 3 bytes a match needs, are the fixed distances'.
        // (Where it stopped at a match long enough, nothing more is sought.)
        const bool triedAll = chain >= 0;
        if (triedAll) {
            chainLong = 0;
        }
        // Where it also met no match past 3 bytes (a photograph), no
        // 8-byte start repeats either, nearly always: the long chain's
        // misses cost more than the rare match it finds, and such a
        // position is not worth keeping on it.
        if (!triedAll || bestLength >= 4) {
            prevLong_[pos & windowMask_] = candidateLong;
            headLong_[g] = static_cast<std::int32_t>(pos);
        }
        while (bestLength < nice && candidateLong >= 0 && chainLong-- > 0) {
            const std::size_t distance = pos - static_cast<std::size_t>(candidateLong);
            if (distance > maxDistance_) {
                break;
            }
            const std::uint8_t* there = data_ + candidateLong;
            if (bestLength < limit && there[bestLength] == here[bestLength] &&
                there[0] == here[0] && there[1] == here[1]) {
                const unsigned length = MatchLength(here, there, 0, limit);
                if (length > bestLength) {
                    better(length, static_cast<unsigned>(distance));
                }
            }
            candidateLong = prevLong_[static_cast<std::size_t>(candidateLong) & windowMask_];
        }
        if (!(triedAll && keyedOnMatchStart_) && bestLength < nice && bestLength < limit) {
            // Most of these distances miss in a photograph: the misses are
            // found together, without a branch each, and only the few that
            // share the first three bytes are measured.
            const std::uint32_t first3 = Load32(here) & 0xFFFFFFu;
            unsigned hits = 0;
            for (std::size_t i = 0; i < distanceCount_; ++i) {
                const unsigned distance = distances_[i];
                const bool usable = distance <= pos;
                const std::uint8_t* there = here - (usable ? distance : 0);
                hits |= static_cast<unsigned>(usable & ((Load32(there) & 0xFFFFFFu) == first3))
                        << i;
            }
            while (hits != 0 && bestLength < limit) {
                const int i = std::countr_zero(hits);
                hits &= hits - 1;
                const unsigned distance = distances_[static_cast<std::size_t>(i)];
                const std::uint8_t* there = here - distance;
                if (there[bestLength] == here[bestLength]) {
                    const unsigned length = MatchLength(here, there, 0, limit);
                    if (length > bestLength && (length > 3 || distance <= farLength3)) {
                        better(length, distance);
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

    std::uint32_t hashLong(std::size_t pos) const {
        const std::uint64_t v = Load64(data_ + pos);
        return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
    }
    std::uint64_t hashMask_;
    bool keyedOnMatchStart_;  // the short chain's key is a shortest match
    int shortChain_;
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t windowMask_;
    std::size_t maxDistance_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
    std::vector<std::int32_t> headLong_;
    std::vector<std::int32_t> prevLong_;
    std::size_t nextPos_ = ~std::size_t{0};
    std::uint32_t nextHash_ = 0;
    std::uint32_t nextHashLong_ = 0;
    // The run and row distances, then the recent ones not among them.
    std::array<unsigned, 2 + 3 + kMaxRecent> distances_{kRunDistances[0], kRunDistances[1]};
    std::size_t fixedCount_ = 2;
    std::size_t distanceCount_ = 2;
};

}  // namespace lha
