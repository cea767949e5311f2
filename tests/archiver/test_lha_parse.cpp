// The optimal parse and its match tree: every match the tree reports is
// real, and every stream the parse makes decodes byte for byte, through
// liblhasa and the peer tools, on inputs that reach the parse's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "archiver/LhEncoder.h"
#include "archiver/LhaWriter.h"
#include "archiver/MatchTree.h"
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
// the parse treats apart (a long match is taken at once; 256 is the most).
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

// Short repeats of a small alphabet: deep trees with many equal prefixes.
Bytes SmallAlphabet(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>('a' + random() % 4);
    }
    return data;
}

void ExpectBothParsesRoundTrip(const Bytes& input, const std::string& what) {
    for (const auto method : kMethods) {
        for (const bool optimal : {true, false}) {
            lha::ParseEffort effort;
            effort.optimal = optimal;
            const auto packed = lha::CompressLh(input, method, SIZE_MAX, effort);
            ASSERT_TRUE(packed.has_value()) << what;
            EXPECT_TRUE(Decode(*packed, method, input.size()) == input)
                << what << " through " << lha::MethodId(method)
                << (optimal ? " (optimal parse)" : " (lazy parse)");
        }
    }
}

// Walks the tree over `data` as the parse does, asking at some positions
// and only inserting at others, and checks each match it reports.
void ExpectRealMatches(const Bytes& data, int dictionaryBits, int depth, const std::string& what) {
    lha::MatchTree tree(data, dictionaryBits);
    std::vector<unsigned> candidates = {0, 3, 1, 7, 2400, 5760, 65535};
    std::vector<lha::Match> matches(lha::kMaxMatch);
    const std::size_t window = (std::size_t{1} << dictionaryBits) - 1;
    std::size_t reported = 0;
    for (std::size_t pos = 0; pos < tree.hashableEnd(); ++pos) {
        if (pos % 7 >= 5) {
            tree.skip(pos, depth);
            continue;
        }
        candidates[0] = pos % 2 == 0 ? 2 : 300;
        const int found = tree.collect(pos, depth, candidates, matches.data());
        unsigned last = lha::kMinMatch - 1;
        for (int k = 0; k < found; ++k) {
            const lha::Match m = matches[static_cast<std::size_t>(k)];
            ASSERT_GT(m.length, last) << what << " at " << pos;
            ASSERT_LE(m.length, static_cast<unsigned>(lha::kMaxMatch));
            ASSERT_LE(pos + m.length, data.size()) << what << " at " << pos;
            ASSERT_GE(m.distance, 1u);
            ASSERT_LE(m.distance, std::min(pos, window)) << what << " at " << pos;
            ASSERT_EQ(std::memcmp(&data[pos], &data[pos - m.distance], m.length), 0)
                << what << ": " << m.length << " bytes " << m.distance << " back at " << pos;
            last = m.length;
        }
        reported += static_cast<std::size_t>(found);
    }
    EXPECT_GT(reported, 0u) << what;
}

TEST(MatchTree, ReportsOnlyRealMatchesWithinTheWindow) {
    ExpectRealMatches(SmallAlphabet(60000, 1), 13, 16, "small alphabet");
    ExpectRealMatches(SmallAlphabet(60000, 2), 13, 1, "small alphabet, one node deep");
    ExpectRealMatches(RunsOfAPixel(), 15, 16, "runs");
    ExpectRealMatches(ScreenLike(400, 120, 3), 16, 16, "screen");
    Bytes repeatedTail = SmallAlphabet(5000, 4);
    const Bytes tail(repeatedTail.end() - 300, repeatedTail.end());
    for (int i = 0; i < 30; ++i) {
        // The same bytes again and again up to the very end, where fewer and
        // fewer bytes are left to compare.
        repeatedTail.insert(repeatedTail.end(), tail.begin(), tail.end() - i * 9);
    }
    ExpectRealMatches(repeatedTail, 16, 64, "repeats up to the end");
}

TEST(MatchTree, FindsTheLongestMatchWhenDeepEnough) {
    const Bytes data = SmallAlphabet(6000, 5);
    lha::MatchTree tree(data, 13);
    std::vector<lha::Match> matches(lha::kMaxMatch);
    for (std::size_t pos = 0; pos < tree.hashableEnd(); ++pos) {
        const int found = tree.collect(pos, 100000, {}, matches.data());
        unsigned longest = 0;
        const std::size_t limit = std::min<std::size_t>(lha::kMaxMatch, data.size() - pos);
        for (std::size_t from = pos >= 8191 ? pos - 8191 : 0; from < pos; ++from) {
            unsigned n = 0;
            while (n < limit && data[from + n] == data[pos + n]) {
                ++n;
            }
            longest = std::max(longest, n);
        }
        const unsigned got = found == 0 ? 0 : matches[static_cast<std::size_t>(found - 1)].length;
        ASSERT_EQ(got, longest < lha::kMinMatch ? 0 : longest) << "at " << pos;
    }
}

TEST(OptimalParse, EdgeInputsRoundTrip) {
    for (std::size_t size = 0; size < 80; ++size) {
        Bytes pattern(size);
        for (std::size_t i = 0; i < size; ++i) {
            pattern[i] = static_cast<std::uint8_t>("abcab"[i % 5]);
        }
        ExpectBothParsesRoundTrip(pattern, std::to_string(size) + " bytes of a pattern");
    }
    ExpectBothParsesRoundTrip(RunsOfAPixel(), "runs of a pixel");
    ExpectBothParsesRoundTrip(Bytes(3 << 20, 0), "three megabytes of zeros");
    ExpectBothParsesRoundTrip(SmallAlphabet(300000, 6), "small alphabet");
    // Random bytes are all literals: blocks fill to 65535 tokens.
    ExpectBothParsesRoundTrip(RandomBytes(400000, 7), "noise");
}

TEST(OptimalParse, MatchesAtTheEdgeOfEachWindowRoundTrip) {
    for (const std::size_t window : {8192u, 32768u, 65536u}) {
        for (const std::size_t distance : {window - 2, window - 1, window}) {
            Bytes input = PhotoLike(distance / 3 + 1, 1, static_cast<unsigned>(distance));
            input.resize(distance);
            const Bytes again(input.begin(), input.begin() + 5000);
            input.insert(input.end(), again.begin(), again.end());
            ExpectBothParsesRoundTrip(input, "repeat at " + std::to_string(distance));
        }
    }
}

TEST(OptimalParse, PicturesRoundTripAndBeatTheLazyParse) {
    const Bytes screen = ScreenLike(1024, 300, 8);
    const Bytes photo = PhotoLike(700, 400, 9);
    ExpectBothParsesRoundTrip(screen, "screen");
    ExpectBothParsesRoundTrip(photo, "photograph");
    for (const Bytes* picture : {&screen, &photo}) {
        lha::ParseEffort thorough;
        thorough.optimal = true;
        const auto best = lha::CompressLh(*picture, lha::Method::Lh7, SIZE_MAX, thorough);
        const auto quick = lha::CompressLh(*picture, lha::Method::Lh7);
        ASSERT_TRUE(best && quick);
        EXPECT_LT(best->size(), quick->size());
    }
}

TEST(OptimalParse, PeerToolsExtractWhatItMakes) {
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
        options.effort.optimal = true;
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
