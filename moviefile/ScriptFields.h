#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

// The small pieces of the movie script's text: its fields and its numbers.
namespace ScriptFields {

// Hands out a script's fields one by one across its lines. Blanks before a
// field are skipped; a field opening with a double quote runs to the next
// one on its line and keeps everything between, blanks and commas included;
// an unquoted field runs to the next comma or line end and loses trailing
// blanks. Lines holding nothing but blanks carry no field.
class FieldReader {
public:
    explicit FieldReader(QStringView text) : text_(text) {}
    // The next field, or nothing at the end of the text.
    std::optional<QString> next();

private:
    QStringView text_;
    qsizetype position_ = 0;
    bool atLineStart_ = true;
};

// A decimal number rounded to a whole one, halves to the even neighbour:
// "2.5" is 2, "3.5" is 4, "-2.5" is -2. Surrounding blanks, a sign, a
// fraction and an exponent are accepted. Nothing when the text is not a
// number; values far beyond 32 bits come back clamped, still out of range.
std::optional<std::int64_t> roundedInteger(QStringView text);

// A number as the system writes a floating-point one: 10, 2.5, 0.25, 1E+20.
QString formatNumber(double value);

}  // namespace ScriptFields
