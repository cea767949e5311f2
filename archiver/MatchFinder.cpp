#include "MatchFinder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "HashChains.h"
#include "HuffmanCode.h"

namespace lha {
namespace {

// Blocks are cut at multiples of this; small chunks let the trees follow
// a picture's changing content.
constexpr std::size_t kChunkTokens = 1024;

// Positions whose cheapest parse is found together. Long enough for the
// trees' statistics to settle, short enough to follow a screen from a
// photograph to text.
constexpr std::size_t kSegment = 16384;

constexpr int kSymbols = 256 + kMaxMatch - kMinMatch + 1;
constexpr int kPositionCodes = 17;
constexpr std::uint32_t kUnreachable = 0xFFFFFFFFu;
// Costs are counted in sixteenths of a bit.
constexpr std::uint32_t kScale = 16;
// A symbol's count weighs this much against the one every symbol gets, so
// that one not seen lately is dear, not forbidden.
constexpr std::uint64_t kWeight = 4;
// Tokens after which the counts so far weigh half, and tokens between
// two pricings.
constexpr std::uint32_t kHalfLife = 8192;
constexpr std::uint32_t kRelearn = 256;

// log2(x) in sixteenths, from the leading bit and the four after it: in
// integers, so that the same input always gives the same archive.
std::uint32_t Log2(std::uint64_t x) {
    static constexpr std::uint8_t kFraction[16] = {0, 1,  3,  4,  5,  6,  7,  8,
                                                   9, 10, 11, 12, 13, 14, 15, 15};
    const int whole = std::bit_width(x) - 1;
    const auto next = static_cast<unsigned>(whole >= 4 ? x >> (whole - 4) : x << (4 - whole)) & 15;
    return static_cast<std::uint32_t>(whole) * kScale + kFraction[next];
}

int PositionCode(unsigned distance) {
    return std::bit_width(distance - 1);
}

// What each symbol costs, from its share of the latest tokens: about what
// the block writer's trees will spend on it, so the parse weighs literals
// and matches by the picture's own statistics rather than a fixed guess.
class CostModel {
public:
    explicit CostModel(int positionCodes) : positionCodes_(positionCodes) {
        // Before any statistics: a literal costs a byte, a length code a
        // little more, a position code a few bits besides its extra bits.
        symbolBits_.fill(9 * kScale);
        std::fill(symbolBits_.begin(), symbolBits_.begin() + 256, 8 * kScale);
        for (int code = 0; code < kPositionCodes; ++code) {
            positionBits_[code] = (4 + std::max(code - 1, 0)) * kScale;
        }
    }

    std::uint32_t literal(std::uint8_t byte) const { return symbolBits_[byte]; }
    std::uint32_t length(unsigned length) const { return symbolBits_[256 + length - kMinMatch]; }
    std::uint32_t position(unsigned distance) const {
        return positionBits_[PositionCode(distance)];
    }

    void count(Token t) {
        const unsigned symbol = TokenSymbol(t);
        ++symbolFreq_[symbol];
        if (symbol >= 256) {
            ++positionFreq_[std::bit_width(TokenOffset(t))];
        }
    }

    // Learns from the tokens of a segment. Older tokens weigh half as much
    // after every few thousand, so the prices follow the picture.
    void learn(std::span<const Token> tokens) {
        for (const Token t : tokens) {
            count(t);
        }
        learned_ += static_cast<std::uint32_t>(tokens.size());
        if (learned_ < kRelearn) {
            return;
        }
        sinceHalved_ += learned_;
        learned_ = 0;
        if (sinceHalved_ >= kHalfLife) {
            sinceHalved_ = 0;
            for (auto& f : symbolFreq_) {
                f /= 2;
            }
            for (auto& f : positionFreq_) {
                f /= 2;
            }
        }
        price(symbolFreq_, symbolBits_, kSymbols);
        price(positionFreq_, positionBits_, positionCodes_);
        // A position code is followed by its distance's lower bits.
        for (int code = 2; code < positionCodes_; ++code) {
            positionBits_[code] += static_cast<std::uint32_t>(code - 1) * kScale;
        }
    }

private:
    template <std::size_t N>
    static void price(const std::array<std::uint32_t, N>& freq, std::array<std::uint32_t, N>& bits,
                      int used) {
        std::uint64_t total = 0;
        for (int i = 0; i < used; ++i) {
            total += std::uint64_t{freq[i]} * kWeight + 1;
        }
        const std::uint32_t whole = Log2(total);
        for (int i = 0; i < used; ++i) {
            const std::uint32_t own = whole - Log2(std::uint64_t{freq[i]} * kWeight + 1);
            bits[i] = std::min(own, 16 * kScale);
        }
    }

    int positionCodes_;
    std::uint32_t learned_ = 0;
    std::uint32_t sinceHalved_ = 0;
    std::array<std::uint32_t, kSymbols> symbolFreq_{};
    std::array<std::uint32_t, kPositionCodes> positionFreq_{};
    std::array<std::uint32_t, kSymbols> symbolBits_{};
    std::array<std::uint32_t, kPositionCodes> positionBits_{};
};

// The cheapest parse of one segment, given the matches found at each of
// its positions: a shortest path where a literal or any length of a found
// match is a step.
class SegmentParse {
public:
    SegmentParse() : found_(kSegment * HashChains::kMaxFound), foundCount_(kSegment) {
        cost_.resize(kSegment + 1);
        step_.resize(kSegment + 1);
    }

    void clear() {
        size_ = 0;
        foundEnd_ = 0;
    }
    std::size_t size() const { return size_; }

    // Where the next position's matches go: packed one after the other,
    // so that a photograph's one or two a position keep to a few pages.
    // A whole set fits, as no position before it left more than a set.
    HashChains::Found* next() { return &found_[foundEnd_]; }

    // Adds the next position with the `count` matches written at next().
    void add(int count) {
        foundCount_[size_] = static_cast<std::uint8_t>(count);
        foundEnd_ += static_cast<std::size_t>(count);
        ++size_;
    }

    // Adds the next position with at most the one match given.
    void addOne(HashChains::Found match) {
        found_[foundEnd_] = match;
        const bool any = match.length >= kMinMatch;
        foundCount_[size_] = static_cast<std::uint8_t>(any);
        foundEnd_ += any;
        ++size_;
    }

    // The tokens of the cheapest parse of the segment starting at `data`.
    void parse(const std::uint8_t* data, const CostModel& model, std::vector<Token>& tokens) {
        const std::size_t n = size_;
        std::fill(cost_.begin(), cost_.begin() + n + 1, kUnreachable);
        cost_[0] = 0;
        std::size_t foundAt = 0;
        // The cost of reaching the position is carried over in a register:
        // read back from memory, each position would wait on the one before.
        std::uint32_t here = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t viaLiteral = here + model.literal(data[i]);
            std::uint32_t next = cost_[i + 1];
            if (viaLiteral < next) {
                next = viaLiteral;
                cost_[i + 1] = viaLiteral;
                step_[i + 1] = {1, 0};
            }
            unsigned shorter = kMinMatch - 1;
            const HashChains::Found* found = &found_[foundAt];
            foundAt += foundCount_[i];
            for (int k = 0; k < foundCount_[i]; ++k) {
                const unsigned longest = std::min<std::size_t>(found[k].length, n - i);
                const std::uint32_t base = here + model.position(found[k].distance);
                for (unsigned length = shorter + 1; length <= longest; ++length) {
                    const std::uint32_t viaMatch = base + model.length(length);
                    if (viaMatch <= cost_[i + length]) {
                        cost_[i + length] = viaMatch;
                        step_[i + length] = {length, found[k].distance};
                    }
                }
                shorter = std::max(shorter, longest);
            }
            // A match from here may reach the next position only with a
            // length of 1, which there is not.
            here = next;
        }
        // Back from the end, then forwards.
        const std::size_t first = tokens.size();
        for (std::size_t i = n; i > 0;) {
            const Step step = step_[i];
            i -= step.length;
            tokens.push_back(step.distance == 0 ? LiteralToken(data[i])
                                                : MatchToken(step.length, step.distance));
        }
        std::reverse(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
    }

private:
    struct Step {
        unsigned length;
        unsigned distance;  // 0: a literal
    };
    std::vector<HashChains::Found> found_;
    std::vector<std::uint8_t> foundCount_;
    std::vector<std::uint32_t> cost_;
    std::vector<Step> step_;
    std::size_t size_ = 0;
    std::size_t foundEnd_ = 0;
};

// A BMP picture's rows, one above the other: the pixel right above, and
// those beside it, repeat most. Nothing for other files or rows too long
// for the window.
std::vector<unsigned> RowDistances(std::span<const std::uint8_t> data, int dictionaryBits) {
    if (data.size() < 30 || data[0] != 'B' || data[1] != 'M') {
        return {};
    }
    auto read = [&](std::size_t at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            v = v << 8 | data[at + static_cast<std::size_t>(i)];
        }
        return v;
    };
    const std::uint32_t width = read(18, 4);
    const std::uint32_t bits = read(28, 2);
    if (width == 0 || width > 0xFFFF || bits == 0 || bits > 32) {
        return {};
    }
    const std::uint64_t stride = (std::uint64_t{width} * bits + 31) / 32 * 4;
    const std::uint64_t pixel = std::max<std::uint32_t>(bits / 8, 1);
    if (stride + pixel >= (std::uint64_t{1} << dictionaryBits)) {
        return {};
    }
    const auto row = static_cast<unsigned>(stride);
    const auto step = static_cast<unsigned>(pixel);
    return {row, row - step, row + step};
}

}  // namespace

void ParseLz77(std::span<const std::uint8_t> data, int dictionaryBits, const ParseEffort& effort,
               const std::function<bool(std::span<const Token>)>& consume) {
    std::vector<Token> pending;
    bool goOn = true;
    auto hand = [&](bool all) {
        std::size_t at = 0;
        while (goOn && pending.size() - at >= kChunkTokens) {
            goOn = consume(std::span(pending).subspan(at, kChunkTokens));
            at += kChunkTokens;
        }
        if (goOn && all && at < pending.size()) {
            goOn = consume(std::span(pending).subspan(at));
            at = pending.size();
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(at));
    };

    HashChains chains(data, dictionaryBits, effort.hashBytes, effort.shortChain);
    chains.setRowDistances(RowDistances(data, dictionaryBits));
    // Pictures repeat at a few distances (a pixel, a row): the latest match
    // distances find them without walking chains full of runs. Only matches
    // taken whole count: a shorter one's distance is mostly chance (in a
    // photograph nearly every position has one), and trying it at every
    // position after cost more time than it saved bytes.
    std::vector<unsigned> recent(
        std::min(static_cast<std::size_t>(std::max(effort.recentDistances, 0)),
                 HashChains::kMaxRecent),
        0);
    auto remember = [&](unsigned distance) {
        if (recent.empty() || recent.front() == distance) {
            return;
        }
        auto found = std::find(recent.begin(), recent.end(), distance);
        if (found == recent.end()) {
            found = recent.end() - 1;
        }
        std::rotate(recent.begin(), found, found + 1);
        recent.front() = distance;
        chains.setRecent(recent);
    };

    CostModel model(dictionaryBits + 1);
    SegmentParse segment;
    // Each segment is priced by the statistics of the segments before it:
    // a second pass under its own statistics gained a tenth of a percent
    // for a tenth more time.
    auto parseSegment = [&](const std::uint8_t* start) {
        if (segment.size() == 0) {
            return;
        }
        const std::size_t first = pending.size();
        segment.parse(start, model, pending);
        model.learn(std::span(pending).subspan(first));
        segment.clear();
        hand(false);
    };

    const std::size_t n = data.size();
    const std::size_t end = chains.hashableEnd();
    std::size_t pos = 0;
    std::size_t segmentStart = 0;
    // As in a lazy parse, the positions a long match covers are searched
    // only just after its start; the others offer its rest.
    std::size_t coveredUntil = 0;
    unsigned coverDistance = 0;
    int searches = 0;
    while (pos < end && goOn) {
        if (pos < coveredUntil && searches == 0) {
            chains.insert(pos);
            segment.addOne({static_cast<unsigned>(coveredUntil - pos), coverDistance});
        } else {
            int found = 0;
            const auto [length, distance] =
                chains.longest(pos, kMinMatch - 1, effort.maxChain, effort.niceLength,
                               effort.farLength3, segment.next(), found);
            if (length >= static_cast<unsigned>(effort.lazyLimit)) {
                // Long enough to take as it is: the segment ends before it.
                parseSegment(data.data() + segmentStart);
                const Token match = MatchToken(length, distance);
                pending.push_back(match);
                model.count(match);
                remember(distance);
                chains.insertRange(pos + 1, pos + length);
                pos += length;
                segmentStart = pos;
                coveredUntil = pos;
                searches = 0;
                continue;
            }
            segment.add(found);
            if (searches > 0) {
                --searches;
            }
            if (length != 0) {
                if (length > static_cast<unsigned>(effort.goodLength) &&
                    pos + length > coveredUntil) {
                    coveredUntil = pos + length;
                    coverDistance = distance;
                    searches = 2;
                }
            }
        }
        ++pos;
        if (segment.size() == kSegment) {
            parseSegment(data.data() + segmentStart);
            segmentStart = pos;
        }
    }
    // The last bytes are too few to hash: literals.
    for (; pos < n && goOn; ++pos) {
        segment.add(0);
        if (segment.size() == kSegment) {
            parseSegment(data.data() + segmentStart);
            segmentStart = pos + 1;
        }
    }
    parseSegment(data.data() + segmentStart);
    if (goOn) {
        hand(true);
    }
}

}  // namespace lha
