#include "moviefile/ScriptFields.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

QStringList fieldsOf(const QString& text) {
    ScriptFields::FieldReader reader(text);
    QStringList fields;
    while (const auto field = reader.next()) {
        fields << *field;
    }
    return fields;
}

TEST(ScriptFields, FieldsRunAcrossLinesAndEmptyLastFieldsCount) {
    EXPECT_EQ(fieldsOf(QStringLiteral("SOUND,003,\r\nEND,END,END\r\n")),
              QStringList({"SOUND", "003", "", "END", "END", "END"}));
    EXPECT_EQ(fieldsOf(QStringLiteral("a,b\rc,d\ne,f")),
              QStringList({"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(fieldsOf(QStringLiteral(",\r\n")), QStringList({"", ""}));
    EXPECT_EQ(fieldsOf(QStringLiteral("\r\n  \r\n\t\r\n")), QStringList());
    EXPECT_EQ(fieldsOf(QString()), QStringList());
}

TEST(ScriptFields, BlanksAndQuotes) {
    EXPECT_EQ(fieldsOf(QStringLiteral("  a  ,\t b c ,d")), QStringList({"a", "b c", "d"}));
    EXPECT_EQ(fieldsOf(QStringLiteral("\" a, b \",c")), QStringList({" a, b ", "c"}));
    // After the closing quote everything up to the delimiter is dropped.
    EXPECT_EQ(fieldsOf(QStringLiteral("\"a\"junk,b")), QStringList({"a", "b"}));
    // An unclosed quote ends with its line.
    EXPECT_EQ(fieldsOf(QStringLiteral("\"a,b\r\nc")), QStringList({"a,b", "c"}));
    EXPECT_EQ(fieldsOf(QStringLiteral("a\"b\",c")), QStringList({"a\"b\"", "c"}));
    EXPECT_EQ(fieldsOf(QStringLiteral("\"\",x")), QStringList({"", "x"}));
}

// How the script's numbers are written is the script writer's test.
TEST(ScriptFields, RoundedIntegerHalvesToEven) {
    using ScriptFields::roundedInteger;
    EXPECT_EQ(roundedInteger(u"2.5"), 2);
    EXPECT_EQ(roundedInteger(u"3.5"), 4);
    EXPECT_EQ(roundedInteger(u"-3.5"), -4);
    EXPECT_EQ(roundedInteger(u"2.500000000000000000001"), 3);
    EXPECT_EQ(roundedInteger(u".5"), 0);
    EXPECT_EQ(roundedInteger(u"5."), 5);
    EXPECT_EQ(roundedInteger(u"25e-1"), 2);
    EXPECT_EQ(roundedInteger(u"0.0000000000000000000000001e25"), 1);
    EXPECT_EQ(roundedInteger(u"  -0  "), 0);
    EXPECT_EQ(roundedInteger(u"000000000000000000000000000042"), 42);
    EXPECT_GT(*roundedInteger(u"1e999999999999"), std::int64_t{1} << 32);
    EXPECT_LT(*roundedInteger(u"-123456789012345678901234567890"), -(std::int64_t{1} << 32));
    for (const char16_t* bad : {u"", u" ", u"-", u".", u"e5", u"1e", u"1e+", u"0x10", u"1,5",
                                u"１２", u"1 2", u"12abc", u"--1"}) {
        EXPECT_FALSE(roundedInteger(bad)) << QString::fromUtf16(bad).toStdString();
    }
}

}  // namespace
