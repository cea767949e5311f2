#include "MMojiTikanAll.h"

namespace MMojiTikanAll {

int ReplaceAllText(bool exact, QString& text, QString find, QString replacement, bool escapes) {
    if (escapes) {
        for (QString* part : {&find, &replacement}) {
            ReplaceAllText(true, *part, QStringLiteral("\\n"), QStringLiteral("\r\n"), false);
            ReplaceAllText(true, *part, QStringLiteral("\\t"), QStringLiteral("\t"), false);
        }
    }
    if (find.isEmpty()) {
        return 0;
    }
    const Qt::CaseSensitivity sensitivity = exact ? Qt::CaseSensitive : Qt::CaseInsensitive;
    int count = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype hit = text.indexOf(find, from, sensitivity);
        if (hit < 0) {
            break;
        }
        ++count;
        text.replace(hit, find.size(), replacement);
        from = hit + replacement.size();
    }
    return count;
}

}  // namespace MMojiTikanAll
