#include "HuffmanCode.h"

#include <algorithm>
#include <vector>

namespace lha {
namespace {

// Symbols per tree fit in this many bits, below the weight in a sort key.
constexpr int kIndexBits = 10;

// Depths of an unrestricted Huffman tree over the used symbols, built with
// the two-queue method over leaves sorted by weight (equal weights in
// symbol order). Blocks build several trees each, so this keeps to sorted
// integer keys and no allocation beyond the caller's.
int Depths(const std::vector<std::uint64_t>& weights, std::vector<int>& depth) {
    const int n = static_cast<int>(weights.size());
    std::vector<std::uint64_t> order(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        order[i] = weights[i] << kIndexBits | static_cast<std::uint64_t>(i);
    }
    std::sort(order.begin(), order.end());
    std::vector<std::uint64_t> weight(2 * static_cast<std::size_t>(n) - 1);
    std::vector<int> parent(2 * static_cast<std::size_t>(n) - 1, -1);
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
    std::vector<int> nodeDepth(2 * static_cast<std::size_t>(n) - 1, 0);
    int maxDepth = 0;
    for (int i = 2 * n - 3; i >= 0; --i) {
        nodeDepth[i] = nodeDepth[parent[i]] + 1;
    }
    depth.assign(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        depth[order[i] & ((1u << kIndexBits) - 1)] = nodeDepth[i];
        maxDepth = std::max(maxDepth, nodeDepth[i]);
    }
    return maxDepth;
}

}  // namespace

int BuildCodeLengths(std::span<const std::uint32_t> freq, int maxLength,
                     std::span<std::uint8_t> lengths) {
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});
    std::vector<int> symbols;
    std::vector<std::uint64_t> weights;
    for (std::size_t s = 0; s < freq.size(); ++s) {
        if (freq[s] != 0) {
            symbols.push_back(static_cast<int>(s));
            weights.push_back(freq[s]);
        }
    }
    const int used = static_cast<int>(symbols.size());
    if (used < 2) {
        return used;
    }
    std::vector<int> depth;
    // Flattening the weights until the tree fits the limit costs a fraction
    // of a percent against an exact length-limited code, and trees rarely
    // need it.
    while (Depths(weights, depth) > maxLength) {
        for (auto& w : weights) {
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
