// The parse on inputs that reach its edges (runs around the lengths it
// treats apart, window edges, full blocks, pictures): every stream decodes
// byte for byte, through liblhasa and the peer tools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archiver/LhEncoder.h"
#include "archiver/LhaWriter.h"
#include "lha_decode_support.h"
#include "writer_test_support.h"

namespace {

using namespace writer_test;

constexpr lha::Method kMethods[] = {lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7};

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
    std::vector<Bytes> glyphs(12);
    for (auto& glyph : glyphs) {
        glyph.resize(8 * 12);
        for (auto& on : glyph) {
            on = random() % 3 == 0;
        }
    }
    std::vector<int> text(width / 8 * (height / 14 + 1));
    for (auto& g : text) {
        g = static_cast<int>(random() % (glyphs.size() + 3));  // some blanks
    }
    Bytes picture(width * height * 3);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* p = &picture[(y * width + x) * 3];
            const std::uint8_t desktop[3] = {0xA4, 0x6E, 0x3A};
            std::memcpy(p, desktop, 3);
            if (x >= width / 2 && y < height / 2) {
                std::memcpy(p, &photo[((y * (width / 3)) + (x - width / 2) % (width / 3)) * 3], 3);
            } else if (x > 10 && x < width / 2 && y > 20) {
                const std::size_t line = (y - 20) / 14;
                const std::size_t row = (y - 20) % 14;
                const int g = text[line * (width / 8) + x / 8];
                const bool ink = row < 12 && g < static_cast<int>(glyphs.size()) &&
                                 glyphs[static_cast<std::size_t>(g)][row * 8 + x % 8];
                std::memset(p, ink ? 0x10 : 0xF4, 3);
            }
        }
    }
    return picture;
}

// One pixel repeated, broken by a changed byte at lengths around the ones
// the parse treats apart (lazy evaluation stops at 32; 256 is the most).
Bytes RunsOfAPixel() {
    Bytes data;
    std::uint8_t shade = 1;
    for (const std::size_t run : {3, 4, 62, 63, 64, 65, 66, 127, 255, 256, 257, 258, 259, 600, 4095,
                                  4096, 4097, 9000, 70000}) {
        for (std::size_t i = 0; i < run; ++i) {
            data.push_back(static_cast<std::uint8_t>(i % 3 == 0 ? shade : 0x80));
        }
        data.push_back(++shade);
    }
    return data;
}

// Short repeats of a small alphabet: long chains of equal starts.
Bytes SmallAlphabet(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>('a' + random() % 4);
    }
    return data;
}

void ExpectRoundTrip(const Bytes& input, const std::string& what) {
    for (const auto method : kMethods) {
        const auto packed = lha::CompressLh(input, method);
        ASSERT_TRUE(packed.has_value()) << what;
        EXPECT_TRUE(Decode(*packed, method, input.size()) == input)
            << what << " through " << lha::MethodId(method);
    }
}

TEST(LhParse, EdgeInputsRoundTrip) {
    for (std::size_t size = 0; size < 80; ++size) {
        Bytes pattern(size);
        for (std::size_t i = 0; i < size; ++i) {
            pattern[i] = static_cast<std::uint8_t>("abcab"[i % 5]);
        }
        ExpectRoundTrip(pattern, std::to_string(size) + " bytes of a pattern");
    }
    ExpectRoundTrip(RunsOfAPixel(), "runs of a pixel");
    ExpectRoundTrip(Bytes(3 << 20, 0), "three megabytes of zeros");
    ExpectRoundTrip(SmallAlphabet(300000, 6), "small alphabet");
    // Random bytes are all literals: blocks fill to 65535 tokens.
    ExpectRoundTrip(RandomBytes(400000, 7), "noise");
    // The parse prices 16384 positions at a time: matches and the last
    // unhashed bytes straddle its seams.
    for (const std::size_t size : {16383u, 16384u, 16385u, 16391u, 16392u, 32775u}) {
        ExpectRoundTrip(SmallAlphabet(size, 13), std::to_string(size) + " bytes of an alphabet");
        Bytes photo = PhotoLike(size / 3 + 1, 1, 14);
        photo.resize(size);
        ExpectRoundTrip(photo, std::to_string(size) + " bytes of a photograph");
    }
}

TEST(LhParse, MatchesAtTheEdgeOfEachWindowRoundTrip) {
    for (const std::size_t window : {8192u, 32768u, 65536u}) {
        for (const std::size_t distance : {window - 2, window - 1, window}) {
            Bytes input = PhotoLike(distance / 3 + 1, 1, static_cast<unsigned>(distance));
            input.resize(distance);
            const Bytes again(input.begin(), input.begin() + 5000);
            input.insert(input.end(), again.begin(), again.end());
            ExpectRoundTrip(input, "repeat at " + std::to_string(distance));
        }
    }
}

TEST(LhParse, PicturesRoundTrip) {
    ExpectRoundTrip(ScreenLike(1024, 300, 8), "screen");
    ExpectRoundTrip(PhotoLike(700, 400, 9), "photograph");
}

// The rows of a BMP are tried one above the other; the header's width and
// depth come from the file, so any of them must still give a valid stream.
TEST(LhParse, BitmapRowsOfAnyClaimedSizeRoundTrip) {
    const Bytes body = ScreenLike(700, 60, 15);
    for (const auto& [width, bits] :
         std::vector<std::pair<std::uint32_t, std::uint16_t>>{{700, 24},
                                                              {1, 1},
                                                              {5, 24},
                                                              {21845, 24},
                                                              {21846, 24},
                                                              {65535, 32},
                                                              {0, 24},
                                                              {0xFFFFFFFFu, 24},
                                                              {700, 0},
                                                              {700, 64}}) {
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

TEST(LhParse, PeerToolsExtractWhatItMakes) {
    TempFolder folder;
    const std::vector<std::pair<std::string, Bytes>> members = {
        {"screen.bmp", ScreenLike(1280, 400, 10)},
        {"photo.bmp", PhotoLike(800, 300, 11)},
        {"runs.bin", RunsOfAPixel()},
        {"alphabet.txt", SmallAlphabet(200000, 12)},
    };
    for (const auto method : kMethods) {
        const std::string id = lha::MethodId(method);
        const fs::path archive = folder / (id.substr(1, 3) + ".lzh");
        const fs::path sources = folder / ("sources-" + id.substr(1, 3));
        fs::create_directories(sources);
        lha::StoreOptions options;
        options.method = method;
        options.storeWhenNotSmaller = false;
        for (const auto& [name, content] : members) {
            WriteBytes(sources / name, content);
            ASSERT_EQ(lha::StoreFile(archive, sources / name, options), 0) << name;
        }
        const std::vector<std::pair<std::string, std::vector<std::string>>> tools = {
            {"lha", {"lha", "x", archive.string()}},
            {"7zz", {"7zz", "x", "-y", archive.string()}},
            {"jlha", {"jlha", "x", archive.string()}},
        };
        for (const auto& [tool, command] : tools) {
            const fs::path into = folder / (tool + "-" + id.substr(1, 3));
            fs::create_directories(into);
            const ToolResult result = RunTool(command, into);
            EXPECT_EQ(result.status, 0) << tool << " " << id << ": " << result.output;
            for (const auto& [name, content] : members) {
                EXPECT_TRUE(ReadBytes(into / name) == content) << tool << " " << id << " " << name;
            }
        }
    }
}

}  // namespace
