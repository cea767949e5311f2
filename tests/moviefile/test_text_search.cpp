#include "moviefile/MCHAR_CHK.h"

#include <gtest/gtest.h>

namespace {

struct Found {
    int position;
    int count;
};

Found find(bool fromEnd, const QString& text, const QString& pattern) {
    Found found{-1, -1};
    MCHAR_CHK::FindTextPos(fromEnd, text, pattern, found.position, found.count);
    return found;
}

TEST(FindTextPos, SplitsAWindowsPathAtItsLastBackslash) {
    const Found last = find(true, QStringLiteral("C:\\a\\b\\c.sdw"), QStringLiteral("\\"));
    EXPECT_EQ(last.position, 7);
    EXPECT_EQ(last.count, 3);
    const Found first = find(false, QStringLiteral("C:\\a\\b\\c.sdw"), QStringLiteral("\\"));
    EXPECT_EQ(first.position, 3);
    EXPECT_EQ(first.count, 1);
}

TEST(FindTextPos, SplitsALinuxPathAtItsLastSlash) {
    const QString path = QStringLiteral("/home/ユーザー/My Movies/demo.sdw");
    const Found last = find(true, path, QStringLiteral("/"));
    EXPECT_EQ(last.count, 4);
    EXPECT_EQ(path.left(last.position), QStringLiteral("/home/ユーザー/My Movies/"));
    EXPECT_EQ(path.mid(last.position), QStringLiteral("demo.sdw"));
}

TEST(FindTextPos, NoOccurrenceGivesZeroes) {
    for (bool fromEnd : {false, true}) {
        const Found none = find(fromEnd, QStringLiteral("C:\\a\\b\\c.sdw"), QStringLiteral("/"));
        EXPECT_EQ(none.position, 0);
        EXPECT_EQ(none.count, 0);
    }
    const Found empty = find(true, QString(), QStringLiteral("a"));
    EXPECT_EQ(empty.position, 0);
    EXPECT_EQ(empty.count, 0);
}

TEST(FindTextPos, CountsOverlappingOccurrencesAndIsCaseSensitive) {
    const Found overlapping = find(true, QStringLiteral("aaaa"), QStringLiteral("aa"));
    EXPECT_EQ(overlapping.count, 3);
    EXPECT_EQ(overlapping.position, 3);
    EXPECT_EQ(find(false, QStringLiteral("ABCabc"), QStringLiteral("abc")).position, 4);
    EXPECT_EQ(find(true, QStringLiteral("ABC"), QStringLiteral("abc")).count, 0);
}

}  // namespace
