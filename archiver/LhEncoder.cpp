#include "LhEncoder.h"

#include <algorithm>
#include <array>
#include <bit>

#include "BitWriter.h"
#include "HuffmanCode.h"

namespace lha {
namespace {

constexpr int kLiteralLengthCodes = 256 + kMaxMatch - kMinMatch + 1;  // NC = 510
constexpr int kLengthCodeBits = 9;                                    // CBIT
constexpr int kPreCodes = 19;    // NT: 3 run codes + lengths 1..16
constexpr int kPreCodeBits = 5;  // TBIT
constexpr int kMaxCodeLength = 16;
constexpr std::size_t kMaxBlockTokens = 65535;  // the block's symbol count is 16 bits
constexpr int kMaxPositionCodes = 17;

// Bits the counting pass of a block header would write.
class BitCounter {
public:
    void put(unsigned count, std::uint32_t /*value*/) { bits_ += count; }
    std::uint64_t bits() const { return bits_; }

private:
    std::uint64_t bits_ = 0;
};

struct Frequencies {
    std::array<std::uint32_t, kLiteralLengthCodes> literalLength{};
    std::array<std::uint32_t, kMaxPositionCodes> position{};

    void add(std::span<const Token> tokens) {
        for (const Token t : tokens) {
            const unsigned symbol = TokenSymbol(t);
            ++literalLength[symbol];
            if (symbol >= 256) {
                ++position[std::bit_width(TokenOffset(t))];
            }
        }
    }
    void add(const Frequencies& other) {
        for (int i = 0; i < kLiteralLengthCodes; ++i) {
            literalLength[i] += other.literalLength[i];
        }
        for (int i = 0; i < kMaxPositionCodes; ++i) {
            position[i] += other.position[i];
        }
    }
};

// The three Huffman trees of one block, and how the header sends them.
struct BlockCode {
    std::array<std::uint8_t, kLiteralLengthCodes> cLength{};
    std::array<std::uint16_t, kLiteralLengthCodes> cCode{};
    std::array<std::uint8_t, kMaxPositionCodes> pLength{};
    std::array<std::uint16_t, kMaxPositionCodes> pCode{};
    std::array<std::uint8_t, kPreCodes> tLength{};
    std::array<std::uint16_t, kPreCodes> tCode{};
    std::array<std::uint32_t, kPreCodes> tFreq{};
    int cUsed = 0;
    int pUsed = 0;
    int tUsed = 0;
    int cOnly = 0;  // the one symbol of a single-symbol tree
    int pOnly = 0;
    int tOnly = 0;
};

int OnlySymbol(std::span<const std::uint32_t> freq) {
    for (std::size_t i = 0; i < freq.size(); ++i) {
        if (freq[i] != 0) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

int TrimmedCount(std::span<const std::uint8_t> lengths) {
    int n = static_cast<int>(lengths.size());
    while (n > 0 && lengths[n - 1] == 0) {
        --n;
    }
    return n;
}

// Walks the literal/length code lengths as the pre-tree codes them: runs of
// zeros become the run codes 0 (one), 1 (3 to 18) and 2 (20 and more).
template <typename Visit>
void WalkLiteralLengths(const BlockCode& code, Visit&& visit) {
    const int n = TrimmedCount(code.cLength);
    int i = 0;
    while (i < n) {
        const int length = code.cLength[i++];
        if (length != 0) {
            visit(length + 2, 0, 0);
            continue;
        }
        int run = 1;
        while (i < n && code.cLength[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int k = 0; k < run; ++k) {
                visit(0, 0, 0);
            }
        } else if (run <= 18) {
            visit(1, 4, run - 3);
        } else if (run == 19) {
            visit(0, 0, 0);
            visit(1, 4, 15);
        } else {
            visit(2, kLengthCodeBits, run - 20);
        }
    }
}

// The trees of a block: their lengths, which weigh it, and the codes once
// it is written.
BlockCode MakeBlockLengths(const Frequencies& freq, const MethodTraits& traits) {
    BlockCode code;
    code.cUsed = BuildCodeLengths(freq.literalLength, kMaxCodeLength, code.cLength);
    code.cOnly = OnlySymbol(freq.literalLength);
    std::span<const std::uint32_t> pFreq(freq.position.data(), traits.positionCodes);
    code.pUsed = BuildCodeLengths(pFreq, kMaxCodeLength,
                                  std::span(code.pLength.data(), traits.positionCodes));
    code.pOnly = OnlySymbol(pFreq);
    if (code.cUsed >= 2) {
        WalkLiteralLengths(code, [&](int symbol, unsigned, unsigned) { ++code.tFreq[symbol]; });
        code.tUsed = BuildCodeLengths(code.tFreq, kMaxCodeLength, code.tLength);
        code.tOnly = OnlySymbol(code.tFreq);
    }
    return code;
}

void AssignBlockCodes(BlockCode& code, const MethodTraits& traits) {
    AssignCodes(code.cLength, code.cCode);
    AssignCodes(std::span(code.pLength.data(), traits.positionCodes),
                std::span(code.pCode.data(), traits.positionCodes));
    if (code.cUsed >= 2) {
        AssignCodes(code.tLength, code.tCode);
    }
}

// Lengths of the pre-tree or the position tree: 3 bits up to 6, longer ones
// as 7 followed by one 1 bit per extra step and a 0. After the pre-tree's
// third length, 2 bits say how many of the next three are zero.
template <typename Out>
void WriteShortLengths(Out& out, std::span<const std::uint8_t> lengths, int countBits,
                       int special) {
    const int n = TrimmedCount(lengths);
    out.put(countBits, n);
    int i = 0;
    while (i < n) {
        const int length = lengths[i++];
        if (length <= 6) {
            out.put(3, length);
        } else {
            out.put(length - 3, (1u << (length - 3)) - 2);
        }
        if (i == special) {
            while (i < 6 && lengths[i] == 0) {
                ++i;
            }
            out.put(2, (i - special) & 3);
        }
    }
}

template <typename Out>
void WriteBlockHeader(Out& out, const BlockCode& code, const MethodTraits& traits,
                      std::size_t tokenCount) {
    out.put(16, static_cast<std::uint32_t>(tokenCount));
    if (code.cUsed >= 2) {
        if (code.tUsed >= 2) {
            WriteShortLengths(out, code.tLength, kPreCodeBits, 3);
        } else {
            out.put(kPreCodeBits, 0);
            out.put(kPreCodeBits, code.tOnly);
        }
        out.put(kLengthCodeBits, TrimmedCount(code.cLength));
        WalkLiteralLengths(code, [&](int symbol, unsigned extraBits, unsigned extra) {
            out.put(code.tLength[symbol], code.tCode[symbol]);
            out.put(extraBits, extra);
        });
    } else {
        out.put(kPreCodeBits, 0);
        out.put(kPreCodeBits, 0);
        out.put(kLengthCodeBits, 0);
        out.put(kLengthCodeBits, code.cOnly);
    }
    if (code.pUsed >= 2) {
        WriteShortLengths(out, std::span(code.pLength.data(), traits.positionCodes),
                          traits.positionBits, -1);
    } else {
        out.put(traits.positionBits, 0);
        out.put(traits.positionBits, code.pOnly);
    }
}

// Header and symbols of a block under its own trees (the distance's extra
// bits are left out: they cost the same however blocks are cut).
std::uint64_t BlockBits(const Frequencies& freq, const BlockCode& code,
                        const MethodTraits& traits) {
    BitCounter counter;
    WriteBlockHeader(counter, code, traits, 0);
    return counter.bits() + CodedBits(freq.literalLength, code.cLength) +
           CodedBits(std::span(freq.position.data(), traits.positionCodes),
                     std::span(code.pLength.data(), traits.positionCodes));
}

// Collects parsed tokens into blocks: a chunk joins the open block when one
// set of trees codes both for less than two would.
class BlockWriter {
public:
    BlockWriter(const MethodTraits& traits, std::vector<std::uint8_t>& out, std::size_t limit)
        : traits_(traits), bits_(out), limit_(limit) {}

    bool add(std::span<const Token> chunk) {
        Frequencies chunkFreq;
        chunkFreq.add(chunk);
        BlockCode chunkCode = MakeBlockLengths(chunkFreq, traits_);
        const std::uint64_t chunkBits = BlockBits(chunkFreq, chunkCode, traits_);
        if (!pending_.empty() && pending_.size() + chunk.size() <= kMaxBlockTokens) {
            Frequencies merged = pendingFreq_;
            merged.add(chunkFreq);
            BlockCode mergedCode = MakeBlockLengths(merged, traits_);
            const std::uint64_t mergedBits = BlockBits(merged, mergedCode, traits_);
            if (mergedBits <= pendingBits_ + chunkBits) {
                pendingFreq_ = merged;
                pendingCode_ = mergedCode;
                pendingBits_ = mergedBits;
                pending_.insert(pending_.end(), chunk.begin(), chunk.end());
                return bits_.size() <= limit_;
            }
        }
        flush();
        pendingFreq_ = chunkFreq;
        pendingCode_ = chunkCode;
        pendingBits_ = chunkBits;
        pending_.assign(chunk.begin(), chunk.end());
        return bits_.size() <= limit_;
    }

    void finish() {
        flush();
        bits_.flush();
    }

private:
    void flush() {
        if (pending_.empty()) {
            return;
        }
        // The trees that weighed the block code it.
        BlockCode& code = pendingCode_;
        AssignBlockCodes(code, traits_);
        WriteBlockHeader(bits_, code, traits_, pending_.size());
        for (const Token t : pending_) {
            const unsigned symbol = TokenSymbol(t);
            bits_.put(code.cLength[symbol], code.cCode[symbol]);
            if (symbol >= 256) {
                const unsigned offset = TokenOffset(t);
                const int width = std::bit_width(offset);
                bits_.put(code.pLength[width], code.pCode[width]);
                if (width > 1) {
                    bits_.put(width - 1, offset);
                }
            }
        }
        pending_.clear();
    }

    const MethodTraits& traits_;
    BitWriter bits_;
    std::size_t limit_;
    std::vector<Token> pending_;
    Frequencies pendingFreq_;
    BlockCode pendingCode_;
    std::uint64_t pendingBits_ = 0;
};

}  // namespace

MethodTraits TraitsOf(Method method) {
    switch (method) {
        case Method::Lh5:
            return {"-lh5-", 13, 14, 4};
        case Method::Lh6:
            return {"-lh6-", 15, 16, 5};
        case Method::Lh7:
            return {"-lh7-", 16, 17, 5};
        case Method::Lh0:
            break;
    }
    return {"-lh0-", 0, 0, 0};
}

std::optional<std::vector<std::uint8_t>> CompressLh(std::span<const std::uint8_t> data,
                                                    Method method, std::size_t limit,
                                                    const ParseEffort& effort) {
    const MethodTraits traits = TraitsOf(method);
    // The hash chains hold 32-bit positions; anything larger is stored.
    if (traits.dictionaryBits == 0 || data.size() > std::size_t{0x7FFFFFFF}) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out;
    out.reserve(std::min(limit, data.size() / 2 + 64));
    BlockWriter blocks(traits, out, limit);
    bool withinLimit = true;
    const auto consume = [&](std::span<const Token> chunk) {
        withinLimit = blocks.add(chunk);
        return withinLimit;
    };
    ParseLz77(data, traits.dictionaryBits, effort, consume);
    if (!withinLimit) {
        return std::nullopt;
    }
    blocks.finish();
    if (out.size() > limit) {
        return std::nullopt;
    }
    return out;
}

}  // namespace lha
