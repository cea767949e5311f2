#include "HuffmanCode.h"

#include <algorithm>
#include <array>

namespace lha {
namespace {

// Symbols per tree fit in this many bits, below the weight in a sort key.
constexpr int kIndexBits = 10;
constexpr int kMaxSymbols = 1 << kIndexBits;

// Sorts the keys (weight, then symbol) of symbols listed in symbol order.
// A block's weights are at most its 65535 tokens, so a stable counting
// sort on the weight's two bytes orders them, which beats comparisons at
// the few hundred symbols of a tree.
void SortKeys(std::span<std::uint64_t> keys) {
    constexpr int kDigitBits = 8;
    constexpr int kPasses = 2;
    const std::uint64_t largest = keys.empty() ? 0 : *std::max_element(keys.begin(), keys.end());
    if (largest >> (kIndexBits + kDigitBits * kPasses) != 0) {
        std::sort(keys.begin(), keys.end());
        return;
    }
    std::array<std::uint64_t, kMaxSymbols> spare;
    std::span<std::uint64_t> from = keys;
    std::span<std::uint64_t> to(spare.data(), keys.size());
    for (int pass = 0; pass < kPasses; ++pass) {
        const int shift = kIndexBits + pass * kDigitBits;
        std::array<std::uint32_t, (1 << kDigitBits) + 1> start{};
        for (const std::uint64_t key : from) {
            ++start[((key >> shift) & ((1 << kDigitBits) - 1)) + 1];
        }
        for (std::size_t d = 1; d < start.size(); ++d) {
            start[d] += start[d - 1];
        }
        for (const std::uint64_t key : from) {
            to[start[(key >> shift) & ((1 << kDigitBits) - 1)]++] = key;
        }
        std::swap(from, to);
    }
    static_assert(kPasses % 2 == 0, "the sorted keys must end where they began");
}

// Depths of an unrestricted Huffman tree over the used symbols, built with
// the two-queue method over leaves sorted by weight (equal weights in
// symbol order). Blocks build several trees each, so this keeps to sorted
// integer keys and the stack.
int Depths(std::span<const std::uint64_t> weights, std::span<int> depth) {
    const int n = static_cast<int>(weights.size());
    std::array<std::uint64_t, kMaxSymbols> order;
    for (int i = 0; i < n; ++i) {
        order[i] = weights[i] << kIndexBits | static_cast<std::uint64_t>(i);
    }
    SortKeys(std::span(order.data(), static_cast<std::size_t>(n)));
    std::array<std::uint64_t, 2 * kMaxSymbols> weight;
    std::array<int, 2 * kMaxSymbols> parent;
    for (int i = 0; i < n; ++i) {
        weight[i] = order[i] >> kIndexBits;
    }
    int leaf = 0;
    int inner = n;
    int next = n;
    auto take = [&]() {
        if (leaf < n && (inner >= next || weight[leaf] <= weight[inner])) {
            return leaf++;
        }
        return inner++;
    };
    while (next < 2 * n - 1) {
        const int a = take();
        const int b = take();
        weight[next] = weight[a] + weight[b];
        parent[a] = next;
        parent[b] = next;
        ++next;
    }
    // Parents come after their children: from the root down, each node's
    // depth is its parent's plus one.
    std::array<int, 2 * kMaxSymbols> nodeDepth;
    nodeDepth[2 * n - 2] = 0;
    int maxDepth = 0;
    for (int i = 2 * n - 3; i >= 0; --i) {
        nodeDepth[i] = nodeDepth[parent[i]] + 1;
    }
    for (int i = 0; i < n; ++i) {
        depth[order[i] & (kMaxSymbols - 1)] = nodeDepth[i];
        maxDepth = std::max(maxDepth, nodeDepth[i]);
    }
    return maxDepth;
}

}  // namespace

int BuildCodeLengths(std::span<const std::uint32_t> freq, int maxLength,
                     std::span<std::uint8_t> lengths) {
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});
    std::array<int, kMaxSymbols> symbols;
    std::array<std::uint64_t, kMaxSymbols> weights;
    int used = 0;
    for (std::size_t s = 0; s < freq.size() && s < kMaxSymbols; ++s) {
        if (freq[s] != 0) {
            symbols[used] = static_cast<int>(s);
            weights[used] = freq[s];
            ++used;
        }
    }
    if (used < 2) {
        return used;
    }
    std::array<int, kMaxSymbols> depth;
    const auto usedWeights = std::span(weights.data(), static_cast<std::size_t>(used));
    // Flattening the weights until the tree fits the limit costs a fraction
    // of a percent against an exact length-limited code, and trees rarely
    // need it.
    while (Depths(usedWeights, std::span(depth.data(), usedWeights.size())) > maxLength) {
        for (auto& w : usedWeights) {
            w = (w >> 1) | 1;
        }
    }
    for (int i = 0; i < used; ++i) {
        lengths[symbols[i]] = static_cast<std::uint8_t>(depth[i]);
    }
    return used;
}

void AssignCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes) {
    unsigned count[18] = {};
    for (const auto len : lengths) {
        ++count[len];
    }
    count[0] = 0;
    unsigned next[18] = {};
    unsigned code = 0;
    for (int len = 1; len <= 16; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        codes[s] = lengths[s] == 0 ? 0 : static_cast<std::uint16_t>(next[lengths[s]]++);
    }
}

std::uint64_t CodedBits(std::span<const std::uint32_t> freq,
                        std::span<const std::uint8_t> lengths) {
    std::uint64_t bits = 0;
    for (std::size_t s = 0; s < freq.size(); ++s) {
        bits += std::uint64_t{freq[s]} * lengths[s];
    }
    return bits;
}

}  // namespace lha
