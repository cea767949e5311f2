#include "ScriptFields.h"

#include <QByteArray>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace ScriptFields {
namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

qsizetype afterLineEnd(QStringView text, qsizetype at) {
    if (text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n') {
        return at + 2;
    }
    return at + 1;
}

QStringView trimmedBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

}  // namespace

std::optional<QString> FieldReader::next() {
    const qsizetype size = text_.size();
    if (atLineStart_) {
        // Blank lines carry no field; the next line's first field is wanted.
        while (true) {
            qsizetype at = position_;
            while (at < size && isBlank(text_[at])) {
                ++at;
            }
            if (at >= size) {
                position_ = size;
                return std::nullopt;
            }
            if (!isLineEnd(text_[at])) {
                break;
            }
            position_ = afterLineEnd(text_, at);
        }
    }
    while (position_ < size && isBlank(text_[position_])) {
        ++position_;
    }
    QString field;
    if (position_ < size && text_[position_] == u'"') {
        const qsizetype begin = ++position_;
        while (position_ < size && text_[position_] != u'"' && !isLineEnd(text_[position_])) {
            ++position_;
        }
        field = text_.sliced(begin, position_ - begin).toString();
        // Whatever stands between the closing quote and the delimiter is dropped.
        while (position_ < size && text_[position_] != u',' && !isLineEnd(text_[position_])) {
            ++position_;
        }
    } else {
        const qsizetype begin = position_;
        while (position_ < size && text_[position_] != u',' && !isLineEnd(text_[position_])) {
            ++position_;
        }
        QStringView raw = text_.sliced(begin, position_ - begin);
        while (!raw.isEmpty() && isBlank(raw.back())) {
            raw.chop(1);
        }
        field = raw.toString();
    }
    if (position_ < size && text_[position_] == u',') {
        ++position_;
        atLineStart_ = false;
    } else {
        if (position_ < size) {
            position_ = afterLineEnd(text_, position_);
        }
        atLineStart_ = true;
    }
    return field;
}

std::optional<std::int64_t> roundedInteger(QStringView text) {
    const QStringView number = trimmedBlanks(text);
    qsizetype at = 0;
    bool negative = false;
    if (at < number.size() && (number[at] == u'+' || number[at] == u'-')) {
        negative = number[at] == u'-';
        ++at;
    }
    // All digits in one string, with the decimal point's place counted apart.
    QString digits;
    qsizetype integerDigits = 0;
    while (at < number.size() && isDigit(number[at])) {
        digits.append(number[at++]);
        ++integerDigits;
    }
    if (at < number.size() && number[at] == u'.') {
        ++at;
        while (at < number.size() && isDigit(number[at])) {
            digits.append(number[at++]);
        }
    }
    if (digits.isEmpty()) {
        return std::nullopt;
    }
    long long exponent = 0;
    if (at < number.size() && (number[at] == u'e' || number[at] == u'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < number.size() && (number[at] == u'+' || number[at] == u'-')) {
            negativeExponent = number[at] == u'-';
            ++at;
        }
        if (at >= number.size() || !isDigit(number[at])) {
            return std::nullopt;
        }
        while (at < number.size() && isDigit(number[at])) {
            // Clamped: any exponent this large is out of every range anyway.
            exponent = std::min<long long>(exponent * 10 + (number[at++].unicode() - u'0'), 100000);
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (at != number.size()) {
        return std::nullopt;
    }

    // Drop leading zeros, moving the point with them, so that digits[0] is
    // the most significant non-zero digit.
    long long point = integerDigits + exponent;
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == u'0') {
        ++first;
        --point;
    }
    if (first == digits.size()) {
        return 0;
    }
    const QStringView significant = QStringView(digits).sliced(first);
    constexpr std::int64_t kTooLarge = std::int64_t{1} << 40;
    if (point > 15) {
        return negative ? -kTooLarge : kTooLarge;
    }
    std::int64_t whole = 0;
    for (long long i = 0; i < point; ++i) {
        const int digit = i < significant.size() ? significant[i].unicode() - u'0' : 0;
        whole = whole * 10 + digit;
    }
    // The first dropped digit decides, the rest only break a tie.
    int firstDropped = 0;
    bool restNonZero = false;
    for (qsizetype i = 0; i < significant.size(); ++i) {
        const long long place = i - point;  // 0 is the first digit after the point
        if (place == 0) {
            firstDropped = significant[i].unicode() - u'0';
        } else if (place > 0 && significant[i] != u'0') {
            restNonZero = true;
        }
    }
    if (point < 0) {
        // Every digit lies beyond the first place after the point: below 0.1.
        firstDropped = 0;
        restNonZero = true;
    }
    if (firstDropped > 5 || (firstDropped == 5 && (restNonZero || whole % 2 == 1))) {
        ++whole;
    }
    return negative ? -whole : whole;
}

QString formatNumber(double value) {
    if (value == 0 || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    return QString::number(value, 'G', 15);
}

}  // namespace ScriptFields
