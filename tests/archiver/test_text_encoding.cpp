// Names and script text go to CP932 where every character has a form that
// reads back the same, and stay UTF-8 otherwise.
#include "archiver/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

TEST(TextEncoding, JapaneseNamesGoToCp932AndEverythingReadsBack) {
    const std::string stored = TextEncoding::toPackageText("画面１.bmp");
    EXPECT_EQ(stored, "\x89\xe6\x96\xca\x82\x50.bmp");
    EXPECT_FALSE(TextEncoding::isValidUtf8(stored));
    // ﾃｽ and ﾃｱﾃｱ are CP932 bytes that are also valid UTF-8 (½, ññ); the
    // others have no CP932 form (the yen sign and the overline map to ASCII
    // bytes there) and stay UTF-8.
    for (const std::string text : {"画面１.bmp", "ｷｬﾝｾﾙ.wav", "SW001.bmp", "", "ＥＸＥ古いよ",
                                   "ﾃｽ.bmp", "ﾃｱﾃｱ.bmp", "ｱﾃｽﾄ.bmp", "émoji😀.bmp",
                                   "price\xC2\xA5"
                                   "100.bmp",
                                   "a\xE2\x80\xBE.bmp"}) {
        EXPECT_EQ(TextEncoding::fromPackageText(TextEncoding::toPackageText(text)), text);
    }
    for (const std::string text : {"émoji😀.bmp",
                                   "price\xC2\xA5"
                                   "100.bmp",
                                   "a\xE2\x80\xBE.bmp"}) {
        EXPECT_FALSE(TextEncoding::utf8ToCp932(text).has_value()) << text;
        EXPECT_EQ(TextEncoding::toPackageText(text), text);
    }
}

TEST(TextEncoding, MalformedUtf8IsRejectedAndBytesThatAreNeitherReplaced) {
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xC0\xAF"));      // overlong slash
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(TextEncoding::isValidUtf8("\xE3\x81"));      // cut short
    EXPECT_TRUE(TextEncoding::isValidUtf8("\xE3\x81\x82"));   // あ
    const std::string result = TextEncoding::fromPackageText(std::string("a\x80\xFF", 3));
    EXPECT_EQ(result.substr(0, 1), "a");
    EXPECT_NE(result.find("\xEF\xBF\xBD"), std::string::npos);
}

}  // namespace
