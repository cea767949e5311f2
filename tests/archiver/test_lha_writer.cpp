// The encoder on its own: CRC, Huffman codes, the level-2 header, and
// compressed streams decoded by liblhasa in process, over inputs that reach
// the format's and the parse's edges (window distance, block size, runs
// around the lengths the parse treats apart, the seams where it prices,
// pictures, bitmap rows of any claimed size).
#include <lha_decoder.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <queue>
#include <random>

#include "archiver/Crc16.h"
#include "archiver/HuffmanCode.h"
#include "archiver/LhEncoder.h"
#include "archiver/LhaHeader.h"
#include "archiver/LhaWriter.h"
#include "lha_test_support.h"

namespace {

using namespace lhatest;

constexpr lha::Method kMethods[] = {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7};

// What liblhasa makes of a compressed stream.
Bytes Decode(const Bytes& packed, lha::Method method, std::size_t length) {
    std::string name = lha::MethodId(method);
    struct Source {
        const Bytes& bytes;
        std::size_t at = 0;
    } source{packed};
    const auto read = [](void* buffer, std::size_t size, void* data) {
        auto& from = *static_cast<Source*>(data);
        const std::size_t step = std::min(size, from.bytes.size() - from.at);
        std::memcpy(buffer, from.bytes.data() + from.at, step);
        from.at += step;
        return step;
    };
    LHADecoder* decoder = lha_decoder_new(lha_decoder_for_name(name.data()), read, &source, length);
    if (decoder == nullptr) {
        ADD_FAILURE() << "liblhasa has no decoder for " << name;
        return {};
    }
    Bytes out(length + 1024);
    std::size_t got = 0;
    for (std::size_t step = 1; step != 0 && got < out.size(); got += step) {
        step = lha_decoder_read(decoder, out.data() + got, out.size() - got);
    }
    lha_decoder_free(decoder);
    out.resize(got);
    return out;
}

void ExpectRoundTrip(const Bytes& input, const std::string& what) {
    for (const auto method : kMethods) {
        const auto packed = lha::CompressLh(input, method);
        ASSERT_TRUE(packed.has_value()) << what;
        EXPECT_TRUE(Decode(*packed, method, input.size()) == input)
            << what << " through " << lha::MethodId(method);
    }
}

// A 24-bit photograph: smooth colour gradients with sensor noise, so
// nearly every byte is a literal and matches are short and far.
Bytes PhotoLike(std::size_t width, std::size_t height, unsigned seed) {
    std::mt19937 random(seed);
    Bytes picture(width * height * 3);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = &picture[(y * width + x) * 3];
            const int noise = static_cast<int>(random() % 7) - 3;
            p[0] = static_cast<std::uint8_t>(std::clamp<int>(40 + x / 5 + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp<int>(90 + (x + y) / 9 + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp<int>(30 + y / 3 - noise, 0, 255));
        }
    }
    return picture;
}

// A 24-bit screen: a flat desktop, a window of text lines drawn from a few
// glyphs (matches of every length at every distance), and a photograph.
Bytes ScreenLike(std::size_t width, std::size_t height, unsigned seed) {
    std::mt19937 random(seed);
    const Bytes photo = PhotoLike(width / 3, height / 2, seed + 1);
    std::vector<Bytes> glyphs(12, Bytes(8 * 12));
    for (auto& glyph : glyphs) {
        std::generate(glyph.begin(), glyph.end(), [&] { return random() % 3 == 0; });
    }
    std::vector<std::size_t> text(width / 8 * (height / 14 + 1));  // some blanks
    std::generate(text.begin(), text.end(), [&] { return random() % (glyphs.size() + 3); });
    Bytes picture(width * height * 3);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = &picture[(y * width + x) * 3];
            const std::size_t row = (y - 20) % 14;
            if (x >= width / 2 && y < height / 2) {
                std::memcpy(p, &photo[((y * (width / 3)) + (x - width / 2) % (width / 3)) * 3], 3);
            } else if (x > 10 && x < width / 2 && y > 20) {
                const std::size_t g = text[(y - 20) / 14 * (width / 8) + x / 8];
                const bool ink = row < 12 && g < glyphs.size() && glyphs[g][row * 8 + x % 8];
                std::memset(p, ink ? 0x10 : 0xF4, 3);
            } else {
                const std::uint8_t desktop[3] = {0xA4, 0x6E, 0x3A};
                std::memcpy(p, desktop, 3);
            }
        }
    }
    return picture;
}

// Short repeats of a small alphabet: long chains of equal starts.
Bytes SmallAlphabet(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    std::generate(data.begin(), data.end(),
                  [&] { return static_cast<std::uint8_t>('a' + random() % 4); });
    return data;
}

TEST(LhaCrc16, MatchesTheStandardCheckValue) {
    EXPECT_EQ(lha::Crc16(text("123456789")), 0xBB3D);
    EXPECT_EQ(lha::Crc16({}), 0);
}

TEST(LhaHuffman, FibonacciWeightsStayWithinSixteenBitsAndFillTheCode) {
    // Fibonacci weights make the deepest possible tree: 30 symbols would
    // need 29 bits without a limit.
    std::vector<std::uint32_t> freq(30);
    freq[0] = freq[1] = 1;
    for (std::size_t i = 2; i < freq.size(); ++i) {
        freq[i] = freq[i - 1] + freq[i - 2];
    }
    std::vector<std::uint8_t> lengths(freq.size());
    EXPECT_EQ(lha::BuildCodeLengths(freq, 16, lengths), 30);
    double kraft = 0;
    for (const auto len : lengths) {
        EXPECT_GE(len, 1);
        EXPECT_LE(len, 16);
        kraft += std::ldexp(1.0, -len);
    }
    EXPECT_DOUBLE_EQ(kraft, 1.0);  // a complete code: strict decoders refuse anything else
}

TEST(LhaHuffman, CodesAreOptimalForSmallAndLargeWeights) {
    // An optimal code costs the sum of the weights merged into inner nodes.
    auto optimalBits = [](const std::vector<std::uint32_t>& freq) {
        std::priority_queue<std::uint64_t, std::vector<std::uint64_t>, std::greater<>> queue;
        for (const auto f : freq) {
            if (f != 0) {
                queue.push(f);
            }
        }
        std::uint64_t bits = 0;
        while (queue.size() > 1) {
            const std::uint64_t a = queue.top();
            queue.pop();
            const std::uint64_t b = queue.top();
            queue.pop();
            bits += a + b;
            queue.push(a + b);
        }
        return bits;
    };
    std::mt19937 random(7);
    for (const std::uint32_t largest : {3u, 1000u, 65535u, 1u << 24}) {
        std::vector<std::uint32_t> freq(510);
        for (auto& f : freq) {
            f = random() % 3 == 0 ? 0 : 1 + random() % largest;
        }
        std::vector<std::uint8_t> lengths(freq.size());
        lha::BuildCodeLengths(freq, 16, lengths);
        EXPECT_EQ(lha::CodedBits(freq, lengths), optimalBits(freq)) << "weights up to " << largest;
    }
}

TEST(LhaHuffman, OneUsedSymbolGetsNoBits) {
    std::vector<std::uint32_t> freq(14, 0);
    freq[5] = 9;
    std::vector<std::uint8_t> lengths(freq.size(), 7);
    EXPECT_EQ(lha::BuildCodeLengths(freq, 16, lengths), 1);
    EXPECT_EQ(lengths, std::vector<std::uint8_t>(14, 0));
}

TEST(LhaHeader, NeverStartsWithAZeroByteAndKeepsItsCrc) {
    // A header whose size ends in 0x00 would read as the end of the archive.
    lha::MemberHeader member;
    member.method = "-lh5-";
    for (std::size_t length = 200; length < 240; ++length) {
        member.name = std::string(length, 'a');
        Bytes h = lha::MakeLevel2Header(member);
        EXPECT_NE(h[0], 0) << "name of " << length << " bytes";
        EXPECT_EQ(h[0] | h[1] << 8, static_cast<int>(h.size()));
        const int crc = h[27] | h[28] << 8;
        h[27] = h[28] = 0;
        EXPECT_EQ(crc, lha::Crc16(h));
    }
}

TEST(LhEncoder, SmallAndEdgeInputsRoundTrip) {
    ExpectRoundTrip({}, "nothing");
    ExpectRoundTrip({42}, "one byte");
    for (std::size_t size = 2; size < 80; ++size) {
        Bytes pattern(size);
        for (std::size_t i = 0; i < size; ++i) {
            pattern[i] = static_cast<std::uint8_t>("abcab"[i % 5]);
        }
        ExpectRoundTrip(pattern, std::to_string(size) + " bytes of a pattern");
    }
    // One literal, then one match length after another.
    ExpectRoundTrip(Bytes(3 << 20, 0), "three megabytes of zeros");
    Bytes twoSymbols(100000);
    for (std::size_t i = 0; i < twoSymbols.size(); ++i) {
        twoSymbols[i] = (i * 2654435761u) >> 31 ? 'a' : 'b';
    }
    ExpectRoundTrip(twoSymbols, "two symbols");
    // One pixel repeated, broken by a changed byte at lengths around the
    // ones the parse treats apart (lazy evaluation stops at 32; 256 is the
    // most).
    Bytes runs;
    std::uint8_t shade = 1;
    for (const std::size_t run : {3, 4, 62, 63, 64, 65, 66, 127, 255, 256, 257, 258, 259, 600, 4095,
                                  4096, 4097, 9000, 70000}) {
        for (std::size_t i = 0; i < run; ++i) {
            runs.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? shade : 0x80));
        }
        runs.push_back(++shade);
    }
    ExpectRoundTrip(runs, "runs of a pixel");
    ExpectRoundTrip(SmallAlphabet(300000, 6), "small alphabet");
    // Random bytes are all literals: blocks fill to 65535 tokens.
    ExpectRoundTrip(randomBytes(400000, 7), "noise");
    // The parse prices 16384 positions at a time: matches and the last
    // unhashed bytes straddle its seams.
    for (const std::size_t size : {16383u, 16384u, 16385u, 16391u, 16392u, 32775u}) {
        ExpectRoundTrip(SmallAlphabet(size, 13), std::to_string(size) + " bytes of an alphabet");
        Bytes photo = PhotoLike(size / 3 + 1, 1, 14);
        photo.resize(size);
        ExpectRoundTrip(photo, std::to_string(size) + " bytes of a photograph");
    }
}

TEST(LhEncoder, MatchesAtTheFarEndOfEachWindowRoundTrip) {
    for (const std::size_t window : {8192u, 32768u, 65536u}) {
        for (const std::size_t distance : {window - 2, window - 1, window, window + 1}) {
            Bytes input = randomBytes(distance, static_cast<unsigned>(distance));
            const Bytes again(input.begin(), input.begin() + 4000);
            input.insert(input.end(), again.begin(), again.end());
            ExpectRoundTrip(input, "repeat at " + std::to_string(distance));
        }
    }
}

TEST(LhEncoder, PicturesRoundTripAndCompress) {
    const Bytes screen = ScreenLike(1024, 300, 8);
    ExpectRoundTrip(screen, "screen");
    EXPECT_LT(lha::CompressLh(screen, lha::Method::Lh7)->size(), screen.size() / 4);
    ExpectRoundTrip(PhotoLike(700, 400, 9), "photograph");
}

// The rows of a BMP are tried one above the other; the header's width and
// depth come from the file, so any of them must still give a valid stream.
TEST(LhEncoder, BitmapRowsOfAnyClaimedSizeRoundTrip) {
    const Bytes body = ScreenLike(700, 60, 15);
    const std::pair<std::uint32_t, std::uint16_t> claims[] = {
        {700, 24},   {1, 1},  {5, 24},           {21845, 24}, {21846, 24},
        {65535, 32}, {0, 24}, {0xFFFFFFFFu, 24}, {700, 0},    {700, 64}};
    for (const auto& [width, bits] : claims) {
        Bytes picture(54, 0);
        picture[0] = 'B';
        picture[1] = 'M';
        for (int i = 0; i < 4; ++i) {
            picture[18 + i] = static_cast<std::uint8_t>(width >> (8 * i));
        }
        picture[28] = static_cast<std::uint8_t>(bits);
        picture[29] = static_cast<std::uint8_t>(bits >> 8);
        picture.insert(picture.end(), body.begin(), body.end());
        ExpectRoundTrip(
            picture, "BMP " + std::to_string(width) + " wide, " + std::to_string(bits) + " bits");
    }
    ExpectRoundTrip(Bytes{'B', 'M', 1, 2, 3}, "a BMP signature alone");
}

// Compression gives up past its limit, and a member it would not shrink is stored.
TEST(LhaEncodeMember, StoresWhatCompressionWouldNotShrink) {
    const Bytes zeros(100000, 0);
    EXPECT_FALSE(lha::CompressLh(randomBytes(200000, 11), lha::Method::Lh7, 199999).has_value());
    EXPECT_TRUE(lha::CompressLh(zeros, lha::Method::Lh7, zeros.size() - 1).has_value());
    lha::StoreOptions options;
    EXPECT_EQ(lha::EncodeMember("a", {}, 0, options).method, lha::Method::Lh0);
    const Bytes one = {7};
    EXPECT_EQ(lha::EncodeMember("a", one, 0, options).method, lha::Method::Lh0);
    const Bytes noise = randomBytes(100000, 5);
    const auto stored = lha::EncodeMember("a", noise, 0, options);
    EXPECT_EQ(stored.method, lha::Method::Lh0);
    EXPECT_EQ(stored.data, noise);
    EXPECT_EQ(lha::EncodeMember("a", zeros, 0, options).method, lha::Method::Lh7);
    options.storeWhenNotSmaller = false;
    EXPECT_EQ(lha::EncodeMember("a", one, 0, options).method, lha::Method::Lh7);
}

}  // namespace
