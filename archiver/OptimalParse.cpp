#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "MatchFinder.h"
#include "MatchTree.h"

namespace lha {
namespace {

constexpr int kSymbols = 256 + kMaxMatch - kMinMatch + 1;
constexpr int kPositionCodes = 17;
// Prices are in sixteenths of a bit: whole-bit Huffman lengths would make
// too many paths tie.
constexpr std::uint32_t kScale = 16;
constexpr std::uint32_t kUnreachable = std::numeric_limits<std::uint32_t>::max();
// Positions weighed together; the path is cut at the end of each stretch.
constexpr std::size_t kStretch = 4096;
constexpr std::size_t kChunkTokens = 1024;
// Symbol counts are halved past this many tokens, so prices follow the
// content as a picture moves from flat areas into photographs and back.
constexpr std::uint32_t kMemory = 1 << 15;
// Working out prices takes a logarithm a symbol: not after every long match.
constexpr std::uint32_t kUpdateEvery = 1024;

// What each symbol is expected to cost, from how often the parse chose it.
class Prices {
public:
    Prices() {
        // Before anything is learned: bytes are dear, near matches cheap.
        for (int s = 0; s < kSymbols; ++s) {
            symbolCount_[s] = s < 256 ? 8 : std::max(1, 64 >> std::min(6, (s - 256) / 2));
        }
        for (int w = 0; w < kPositionCodes; ++w) {
            positionCount_[w] = 8;
        }
        update();
    }

    std::uint32_t literal(std::uint8_t byte) const { return symbol_[byte]; }
    std::uint32_t length(unsigned length) const { return symbol_[256 + length - kMinMatch]; }
    // The position code and its extra bits.
    std::uint32_t distance(unsigned distance) const {
        return position_[std::bit_width(distance - 1)];
    }

    void learn(std::span<const Token> tokens) {
        for (const Token t : tokens) {
            const unsigned symbol = TokenSymbol(t);
            ++symbolCount_[symbol];
            if (symbol >= 256) {
                ++positionCount_[std::bit_width(TokenOffset(t))];
            }
        }
        learned_ += static_cast<std::uint32_t>(tokens.size());
        sinceUpdate_ += static_cast<std::uint32_t>(tokens.size());
        if (sinceUpdate_ < kUpdateEvery) {
            return;
        }
        sinceUpdate_ = 0;
        if (learned_ > kMemory) {
            learned_ /= 2;
            for (auto& c : symbolCount_) {
                c /= 2;
            }
            for (auto& c : positionCount_) {
                c /= 2;
            }
        }
        update();
    }

private:
    template <std::size_t N>
    static void Fill(const std::array<std::uint32_t, N>& count,
                     std::array<std::uint32_t, N>& price) {
        double total = 0;
        for (const auto c : count) {
            total += c;
        }
        for (std::size_t s = 0; s < N; ++s) {
            // A symbol not seen lately still gets a finite price: half a count.
            const double bits = std::log2(total / std::max(0.5, static_cast<double>(count[s])));
            price[s] = static_cast<std::uint32_t>(std::min(bits, 24.0) * kScale);
        }
    }

    void update() {
        Fill(symbolCount_, symbol_);
        Fill(positionCount_, position_);
        for (int w = 2; w < kPositionCodes; ++w) {
            position_[w] += static_cast<std::uint32_t>(w - 1) * kScale;
        }
    }

    std::array<std::uint32_t, kSymbols> symbolCount_{};
    std::array<std::uint32_t, kPositionCodes> positionCount_{};
    std::array<std::uint32_t, kSymbols> symbol_{};
    std::array<std::uint32_t, kPositionCodes> position_{};
    std::uint32_t learned_ = 0;
    std::uint32_t sinceUpdate_ = 0;
};

// The cheapest way found so far to reach a position: the price, and the
// token that ends there (length 1 for a literal).
struct Node {
    std::uint32_t price;
    std::uint16_t length;
    std::uint32_t distance;
};

// Inserts every position it is asked about, in increasing order.
struct TreeFinder {
    MatchTree tree;
    int depth;
    std::size_t hashableEnd() const { return tree.hashableEnd(); }
    int find(std::size_t pos, std::span<const unsigned> candidates, Match* out) {
        return tree.collect(pos, depth, candidates, out);
    }
    void insert(std::size_t from, std::size_t to) {
        for (std::size_t p = from; p < to; ++p) {
            tree.skip(p, depth);
        }
    }
};

void ParseWith(TreeFinder& finder, std::span<const std::uint8_t> data, const ParseEffort& effort,
               const std::function<bool(std::span<const Token>)>& consume) {
    std::vector<Token> tokens;
    tokens.reserve(kChunkTokens);
    auto emit = [&](Token t) {
        tokens.push_back(t);
        if (tokens.size() >= kChunkTokens) {
            const bool go_on = consume(tokens);
            tokens.clear();
            return go_on;
        }
        return true;
    };

    Prices prices;
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

    const unsigned sufficient =
        static_cast<unsigned>(std::clamp(effort.sufficientLength, kMinMatch, kMaxMatch));
    std::vector<Node> nodes(kStretch + 1);
    std::vector<Token> path;
    path.reserve(kStretch + 1);
    std::array<Match, kMaxMatch> matches{};
    // The distances tried besides the tree: the two best of the position
    // before, a run of one pixel or byte, and the recent ones without those.
    constexpr std::size_t kPrevious = 2;
    std::vector<unsigned> candidates;
    auto refreshCandidates = [&] {
        candidates.assign(kPrevious + 2 + recent.size(), 0);
        std::size_t n = kPrevious;
        for (const unsigned distance : kRunDistances) {
            candidates[n++] = distance;
        }
        for (const unsigned distance : recent) {
            if (distance != 0 && distance != kPixel && distance != 1) {
                candidates[n++] = distance;
            }
        }
        candidates.resize(n);
    };
    std::array<Match, kMaxMatch> later{};

    const std::size_t n = data.size();
    const std::size_t end = finder.hashableEnd();
    std::size_t pos = 0;
    while (pos < end) {
        const std::size_t count = std::min(kStretch, end - pos);
        nodes[0] = {0, 0, 0};
        std::size_t reached = 0;  // nodes past this are not set up yet
        auto prepare = [&](std::size_t to) {
            for (; reached < to; ++reached) {
                nodes[reached + 1].price = kUnreachable;
            }
        };
        auto relax = [&](std::size_t to, std::uint32_t price, unsigned length, unsigned distance) {
            if (price < nodes[to].price) {
                nodes[to] = {price, static_cast<std::uint16_t>(length), distance};
            }
        };
        std::size_t stop = count;
        refreshCandidates();
        Match taken{0, 0};
        bool literalFirst = false;
        bool insertedNext = false;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t here = pos + i;
            const std::uint32_t base = nodes[i].price;
            const int found = finder.find(here, candidates, matches.data());
            candidates[0] = found > 0 ? matches[found - 1].distance : 0;
            candidates[1] = found > 1 ? matches[found - 2].distance : 0;
            if (found != 0 && matches[found - 1].length >= sufficient) {
                stop = i;
                taken = matches[found - 1];
                // As the lazy parse does: a longer match one byte on is worth
                // a literal.
                if (here + 1 < end && taken.length < kMaxMatch) {
                    const int next = finder.find(here + 1, candidates, later.data());
                    if (next != 0 && later[next - 1].length > taken.length) {
                        literalFirst = true;
                        taken = later[next - 1];
                    }
                    insertedNext = true;
                }
                break;
            }
            prepare(std::min<std::size_t>(i + (found == 0 ? 1 : matches[found - 1].length), count));
            relax(i + 1, base + prices.literal(data[here]), 1, 0);
            unsigned shorter = kMinMatch - 1;
            for (int k = 0; k < found; ++k) {
                const Match m = matches[k];
                const unsigned reach =
                    static_cast<unsigned>(std::min<std::size_t>(m.length, count - i));
                const std::uint32_t withDistance = base + prices.distance(m.distance);
                for (unsigned length = shorter + 1; length <= reach; ++length) {
                    relax(i + length, withDistance + prices.length(length), length, m.distance);
                }
                if (reach < m.length) {
                    break;
                }
                shorter = m.length;
            }
        }

        path.clear();
        for (std::size_t at = stop; at > 0;) {
            const Node& node = nodes[at];
            path.push_back(node.length == 1 ? LiteralToken(data[pos + at - 1])
                                            : MatchToken(node.length, node.distance));
            at -= node.length;
        }
        std::reverse(path.begin(), path.end());
        if (literalFirst) {
            path.push_back(LiteralToken(data[pos + stop]));
        }
        if (taken.length != 0) {
            path.push_back(MatchToken(taken.length, taken.distance));
        }
        for (const Token t : path) {
            if (!emit(t)) {
                return;
            }
            if (TokenSymbol(t) >= 256) {
                remember(TokenOffset(t) + 1);
            }
        }
        prices.learn(path);
        pos += stop;
        if (literalFirst) {
            ++pos;
        }
        if (taken.length != 0) {
            finder.insert(pos + (insertedNext && !literalFirst ? 2 : 1), pos + taken.length);
            pos += taken.length;
        }
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

}  // namespace

void ParseOptimal(std::span<const std::uint8_t> data, int dictionaryBits, const ParseEffort& effort,
                  const std::function<bool(std::span<const Token>)>& consume) {
    TreeFinder finder{MatchTree(data, dictionaryBits), std::max(effort.treeDepth, 1)};
    ParseWith(finder, data, effort, consume);
}

}  // namespace lha
