#include "moviefile/MCHAR_CHK.h"

#include <gtest/gtest.h>

namespace {

// Where the first or last occurrence starts, as a count of characters
// before it, and how many there are, overlapping ones included; case
// matters. No occurrence gives zeroes.
TEST(FindTextPos, FirstOrLastOccurrenceAndTheirCount) {
    const QString windows = QStringLiteral("C:\\a\\b\\c.sdw");
    const QString linux = QStringLiteral("/home/ユーザー/My Movies/demo.sdw");
    const struct {
        bool fromEnd;
        QString text;
        QString pattern;
        int position;
        int count;
    } cases[] = {{true, windows, QStringLiteral("\\"), 7, 3},
                 {false, windows, QStringLiteral("\\"), 3, 1},
                 {true, linux, QStringLiteral("/"), 21, 4},
                 {true, windows, QStringLiteral("/"), 0, 0},
                 {false, windows, QStringLiteral("/"), 0, 0},
                 {true, QString(), QStringLiteral("a"), 0, 0},
                 {true, QStringLiteral("aaaa"), QStringLiteral("aa"), 3, 3},
                 {false, QStringLiteral("ABCabc"), QStringLiteral("abc"), 4, 1},
                 {true, QStringLiteral("ABC"), QStringLiteral("abc"), 0, 0}};
    for (const auto& c : cases) {
        int position = -1;
        int count = -1;
        MCHAR_CHK::FindTextPos(c.fromEnd, c.text, c.pattern, position, count);
        EXPECT_EQ(position, c.position)
            << c.text.toStdString() << (c.fromEnd ? " from the end" : "");
        EXPECT_EQ(count, c.count) << c.text.toStdString();
    }
    // The last slash splits a path into its folder and its file.
    EXPECT_EQ(linux.left(21), QStringLiteral("/home/ユーザー/My Movies/"));
}

}  // namespace
