// MCHAR_CHK (character check): finds the first or last occurrence of a text in another.
#pragma once

#include <QString>

namespace MCHAR_CHK {

// Finds pattern in text. From the front: the 1-based position of the first
// occurrence and a count of 1. From the end: the position of the last
// occurrence and the number of occurrences, overlapping ones included.
// Both are 0 when the pattern does not occur.
void FindTextPos(bool fromEnd, const QString& text, const QString& pattern, int& position,
                 int& count);

}  // namespace MCHAR_CHK
