#include "archiver/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, JapaneseNamesGoToCp932AndBack) {
    const std::string name = "画面１.bmp";
    const std::string stored = TextEncoding::toPackageText(name);
    EXPECT_EQ(stored, "\x89\xe6\x96\xca\x82\x50.bmp");
    EXPECT_FALSE(TextEncoding::isValidUtf8(stored));
    EXPECT_EQ(TextEncoding::fromPackageText(stored), name);
}

TEST(TextEncoding, HalfWidthKatakanaAndAsciiRoundTrip) {
    // ﾃｽ and ﾃｱﾃｱ are CP932 bytes that are also valid UTF-8 (½, ññ).
    for (const std::string text :
         {"ｷｬﾝｾﾙ.wav", "SW001.bmp", "", "ＥＸＥ古いよ", "ﾃｽ.bmp", "ﾃｱﾃｱ.bmp", "ｱﾃｽﾄ.bmp"}) {
        EXPECT_EQ(TextEncoding::fromPackageText(TextEncoding::toPackageText(text)), text);
    }
}

TEST(TextEncoding, CharactersWithoutCp932FormStayUtf8) {
    const std::string name = "émoji😀.bmp";
    EXPECT_FALSE(TextEncoding::utf8ToCp932(name).has_value());
    EXPECT_EQ(TextEncoding::toPackageText(name), name);
    EXPECT_EQ(TextEncoding::fromPackageText(name), name);
}

TEST(TextEncoding, TextWhoseCp932FormReadsBackDifferentlyStaysUtf8) {
    // The yen sign and the overline map to ASCII bytes in CP932.
    for (const std::string text : {"price\xC2\xA5"
                                   "100.bmp",
                                   "a\xE2\x80\xBE.bmp"}) {
        EXPECT_FALSE(TextEncoding::utf8ToCp932(text).has_value()) << text;
        EXPECT_EQ(TextEncoding::toPackageText(text), text);
        EXPECT_EQ(TextEncoding::fromPackageText(TextEncoding::toPackageText(text)), text);
    }
}

TEST(TextEncoding, RejectsMalformedUtf8) {
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xC0\xAF"));      // overlong slash
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xE3\x81"));      // cut short
    EXPECT_TRUE(TextEncoding::isValidUtf8("\xE3\x81\x82"));   // あ
}

TEST(TextEncoding, BytesThatAreNeitherAreReplacedNotDropped) {
    const std::string result = TextEncoding::fromPackageText(std::string("a\x80\xFF", 3));
    EXPECT_EQ(result.substr(0, 1), "a");
    EXPECT_NE(result.find("\xEF\xBF\xBD"), std::string::npos);
}

}  // namespace
