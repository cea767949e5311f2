#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

// Numbers typed by the user or stored in text files: the value of the number
// a text begins with, and rounding to whole numbers the way the stored
// values expect (halves to the even neighbour).
namespace NumericText {

// The value of the decimal number at the start of `text` after leading
// blanks: "12.5kg" is 12.5, ".5" is 0.5, "-5" is -5, "1e3" is 1000. A text
// that does not begin with a number is 0. A number too large for a double is
// infinite.
double LeadingNumber(QStringView text);

// `value` rounded half to even, or nothing when it does not fit.
std::optional<std::int16_t> RoundToInt16(double value);
std::optional<std::int32_t> RoundToInt32(double value);

}  // namespace NumericText
