#include "NumericText.h"

#include <QByteArray>
#include <QString>

#include <clocale>
#include <cstdlib>

#include <cmath>
#include <limits>

#include <locale.h>

namespace NumericText {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype i) {
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    return i;
}

template <typename Int>
std::optional<Int> roundTo(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    // rint honours the rounding mode, which nothing in the program changes
    // from its default of halves to even.
    const double rounded = std::rint(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

double LeadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
        ++i;
    }
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    const qsizetype integerStart = i;
    i = skipDigits(text, i);
    bool haveDigits = i > integerStart;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = i + 1;
        const qsizetype fractionEnd = skipDigits(text, fractionStart);
        if (fractionEnd > fractionStart || haveDigits) {
            haveDigits = haveDigits || fractionEnd > fractionStart;
            i = fractionEnd;
        }
    }
    if (!haveDigits) {
        return 0.0;
    }
    // An exponent counts only when digits follow it: "2e" is 2.
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype e = i + 1;
        if (e < text.size() && (text[e] == u'+' || text[e] == u'-')) {
            ++e;
        }
        const qsizetype exponentEnd = skipDigits(text, e);
        if (exponentEnd > e) {
            i = exponentEnd;
        }
    }
    // strtod in the C locale: the decimal point is always '.', an overflow
    // gives infinity and an underflow a value near 0.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const QByteArray number = text.mid(start, i - start).toLatin1();
    return strtod_l(number.constData(), nullptr, cLocale);
}

std::optional<std::int16_t> RoundToInt16(double value) {
    return roundTo<std::int16_t>(value);
}

std::optional<std::int32_t> RoundToInt32(double value) {
    return roundTo<std::int32_t>(value);
}

}  // namespace NumericText
