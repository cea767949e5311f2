// The encoder on its own: CRC, Huffman codes, the level-2 header, and
// compressed streams decoded by liblhasa in process, over inputs that reach
// the format's edges (window distance, block size, single-symbol trees).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "archiver/Crc16.h"
#include "archiver/HuffmanCode.h"
#include "archiver/LhEncoder.h"
#include "archiver/LhaHeader.h"
#include "archiver/LhaWriter.h"
#include "lha_decode_support.h"
#include "writer_test_support.h"

namespace {

using namespace writer_test;

constexpr lha::Method kMethods[] = {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7};

void ExpectRoundTrip(const Bytes& input, const char* what) {
    for (const auto method : kMethods) {
        const auto packed = lha::CompressLh(input, method);
        ASSERT_TRUE(packed.has_value()) << what;
        EXPECT_EQ(Decode(*packed, method, input.size()), input)
            << what << " through " << lha::MethodId(method);
    }
}

TEST(LhaCrc16, MatchesTheStandardCheckValue) {
    const std::string text = "123456789";
    EXPECT_EQ(lha::Crc16({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}),
              0xBB3D);
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

    std::vector<std::uint16_t> codes(freq.size());
    lha::AssignCodes(lengths, codes);
    for (std::size_t a = 0; a < codes.size(); ++a) {
        for (std::size_t b = 0; b < codes.size(); ++b) {
            if (a != b && lengths[a] <= lengths[b]) {
                EXPECT_NE(codes[b] >> (lengths[b] - lengths[a]), codes[a])
                    << a << " prefixes " << b;
            }
        }
    }
}

TEST(LhaHuffman, OneUsedSymbolGetsNoBits) {
    std::vector<std::uint32_t> freq(14, 0);
    freq[5] = 9;
    std::vector<std::uint8_t> lengths(freq.size(), 7);
    EXPECT_EQ(lha::BuildCodeLengths(freq, 16, lengths), 1);
    EXPECT_TRUE(std::all_of(lengths.begin(), lengths.end(), [](auto l) { return l == 0; }));
}

std::uint32_t Get16(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8);
}
std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return Get16(b, at) | (Get16(b, at + 2) << 16);
}

TEST(LhaHeader, LevelTwoFieldsAndAnExactHeaderCrc) {
    lha::MemberHeader member;
    member.method = "-lh7-";
    member.compressedSize = 1234;
    member.originalSize = 56789;
    member.modified = 1700000000;
    member.dataCrc = 0xBEEF;
    member.name = "SW001.bmp";
    const Bytes h = lha::MakeLevel2Header(member);

    ASSERT_EQ(h.size(), 24u + 5u + 3u + member.name.size() + 2u);
    EXPECT_EQ(Get16(h, 0), h.size());
    EXPECT_EQ(std::string(h.begin() + 2, h.begin() + 7), "-lh7-");
    EXPECT_EQ(Get32(h, 7), 1234u);
    EXPECT_EQ(Get32(h, 11), 56789u);
    EXPECT_EQ(Get32(h, 15), 1700000000u);
    EXPECT_EQ(h[19], 0x20);
    EXPECT_EQ(h[20], 2);
    EXPECT_EQ(Get16(h, 21), 0xBEEFu);
    EXPECT_EQ(h[23], 'M');
    // Common extension: size 5, type 0, the header CRC.
    EXPECT_EQ(Get16(h, 24), 5u);
    EXPECT_EQ(h[26], 0x00);
    // File name extension, then the terminating size 0.
    EXPECT_EQ(Get16(h, 29), 3u + member.name.size());
    EXPECT_EQ(h[31], 0x01);
    EXPECT_EQ(std::string(h.begin() + 32, h.begin() + 32 + member.name.size()), member.name);
    EXPECT_EQ(Get16(h, h.size() - 2), 0u);

    Bytes zeroed = h;
    zeroed[27] = zeroed[28] = 0;
    EXPECT_EQ(Get16(h, 27), lha::Crc16(zeroed));
}

TEST(LhaHeader, NeverStartsWithAZeroByte) {
    lha::MemberHeader member;
    member.method = "-lh5-";
    for (std::size_t length = 200; length < 240; ++length) {
        member.name = std::string(length, 'a');
        const Bytes h = lha::MakeLevel2Header(member);
        EXPECT_NE(h[0], 0) << "name of " << length << " bytes";
        EXPECT_EQ(Get16(h, 0), h.size());
        EXPECT_EQ(Get16(h, h.size() - 2), 0u) << "no padding after the last extension";
        Bytes zeroed = h;
        zeroed[27] = zeroed[28] = 0;
        EXPECT_EQ(Get16(h, 27), lha::Crc16(zeroed));
    }
}

TEST(LhEncoder, SmallAndDegenerateInputsRoundTrip) {
    ExpectRoundTrip({}, "nothing");
    ExpectRoundTrip({42}, "one byte");
    ExpectRoundTrip({1, 2}, "two bytes");
    ExpectRoundTrip(Bytes(10, 'x'), "ten equal bytes");
    ExpectRoundTrip(Bytes(1 << 20, 0),
                    "a megabyte of zeros");  // one literal, then one match length
    Bytes twoSymbols(100000);
    for (std::size_t i = 0; i < twoSymbols.size(); ++i) {
        twoSymbols[i] = (i * 2654435761u) >> 31 ? 'a' : 'b';
    }
    ExpectRoundTrip(twoSymbols, "two symbols");
}

TEST(LhEncoder, MatchesAtTheFarEndOfEachWindowRoundTrip) {
    for (const std::size_t window : {8192u, 32768u, 65536u}) {
        for (const std::size_t distance : {window - 1, window, window + 1}) {
            Bytes input = RandomBytes(distance, static_cast<unsigned>(distance));
            const Bytes again(input.begin(), input.begin() + std::min<std::size_t>(4000, distance));
            input.insert(input.end(), again.begin(), again.end());
            ExpectRoundTrip(input, ("repeat at " + std::to_string(distance)).c_str());
        }
    }
}

TEST(LhEncoder, LongInputsSpanManyFullBlocks) {
    // Short repeats of a few words make many tokens, so blocks reach their
    // 65535-token limit.
    std::mt19937 random(7);
    const char* words[] = {"the ", "frame ", "waits ", "for ", "a ", "sound ", "\r\n", "100 "};
    std::string text;
    while (text.size() < 3'000'000) {
        text += words[random() % 8];
        if (random() % 5 == 0) {
            text += static_cast<char>('A' + random() % 26);
        }
    }
    ExpectRoundTrip(Bytes(text.begin(), text.end()), "3 MB of words");
    ExpectRoundTrip(ReadBytes("/usr/share/common-licenses/GPL-3"), "the GPL");
}

TEST(LhEncoder, PictureRowsRoundTripAndCompress) {
    // A 24-bit picture: flat background, a bar, text-like speckles.
    const std::size_t width = 1280, height = 400, stride = width * 3;
    Bytes picture(stride * height);
    std::mt19937 random(3);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = &picture[y * stride + x * 3];
            const bool bar = y < 24;
            const bool glyph = y > 50 && (y % 16) < 10 && (x % 7) < 2 && random() % 3 == 0;
            p[0] = bar ? 0xA5 : glyph ? 0x10 : 0xF0;
            p[1] = bar ? 0x6E : glyph ? 0x10 : 0xF0;
            p[2] = bar ? 0x3A : glyph ? 0x10 : 0xF0;
        }
    }
    ExpectRoundTrip(picture, "picture");
    EXPECT_LT(lha::CompressLh(picture, lha::Method::Lh7)->size(), picture.size() / 20);
}

TEST(LhEncoder, GivesUpPastTheLimit) {
    const Bytes noise = RandomBytes(200000, 11);
    EXPECT_FALSE(lha::CompressLh(noise, lha::Method::Lh7, noise.size() - 1).has_value());
    const Bytes zeros(200000, 0);
    EXPECT_TRUE(lha::CompressLh(zeros, lha::Method::Lh7, zeros.size() - 1).has_value());
}

TEST(LhaEncodeMember, StoresWhatCompressionWouldNotShrink) {
    lha::StoreOptions options;
    EXPECT_EQ(lha::EncodeMember("a", {}, 0, options).method, lha::Method::Lh0);
    const Bytes one = {7};
    EXPECT_EQ(lha::EncodeMember("a", one, 0, options).method, lha::Method::Lh0);
    const Bytes noise = RandomBytes(100000, 5);
    const auto stored = lha::EncodeMember("a", noise, 0, options);
    EXPECT_EQ(stored.method, lha::Method::Lh0);
    EXPECT_EQ(stored.data, noise);
    EXPECT_EQ(std::string(stored.header.begin() + 2, stored.header.begin() + 7), "-lh0-");
    const Bytes zeros(100000, 0);
    EXPECT_EQ(lha::EncodeMember("a", zeros, 0, options).method, lha::Method::Lh7);
    options.storeWhenNotSmaller = false;
    EXPECT_EQ(lha::EncodeMember("a", one, 0, options).method, lha::Method::Lh7);
}

}  // namespace
