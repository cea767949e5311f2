#include "MCHAR_CHK.h"

namespace MCHAR_CHK {

void FindTextPos(bool fromEnd, const QString& text, const QString& pattern, int& position,
                 int& count) {
    position = 0;
    count = 0;
    if (pattern.isEmpty()) {
        return;
    }
    qsizetype hit = text.indexOf(pattern, 0, Qt::CaseSensitive);
    if (!fromEnd) {
        if (hit >= 0) {
            position = static_cast<int>(hit) + 1;
            count = 1;
        }
        return;
    }
    // Each search restarts one character after the previous hit, so
    // overlapping occurrences are counted too.
    while (hit >= 0) {
        position = static_cast<int>(hit) + 1;
        ++count;
        hit = text.indexOf(pattern, hit + 1, Qt::CaseSensitive);
    }
}

}  // namespace MCHAR_CHK
