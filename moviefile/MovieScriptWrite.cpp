#include "MovieScript.h"
#include "ScriptFields.h"
#include "WorkFolder.h"

#include "archiver/TextEncoding.h"
#include "common/NumericText.h"

#include <QDir>
#include <QSaveFile>

namespace MovieScript {
namespace {

// A name as a script field: in double quotes when it would otherwise split
// or lose blanks. Nothing for a name the reader would refuse.
std::optional<QString> nameField(const QString& name, bool mayBeEmpty) {
    if (name.isEmpty()) {
        return mayBeEmpty ? std::optional<QString>(QString()) : std::nullopt;
    }
    if (!WorkFolder::isBareFileName(name)) {
        return std::nullopt;
    }
    const bool needsQuotes = name.contains(u',') || name.front().isSpace() || name.back().isSpace();
    return needsQuotes ? u'"' + name + u'"' : name;
}

// CP932 where the text has a CP932 form that reads back as the same text:
// CP932 turns ¥ into a backslash, and a few katakana pairs are also valid
// UTF-8, which the reader would take as UTF-8. Else UTF-8.
QByteArray storedText(const QString& text) {
    const std::string utf8 = text.toStdString();
    if (const auto cp932 = TextEncoding::utf8ToCp932(utf8)) {
        const bool readsBack = TextEncoding::fromPackageText(*cp932) == utf8;
        if (readsBack) {
            return QByteArray(cp932->data(), static_cast<qsizetype>(cp932->size()));
        }
    }
    return QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

std::optional<QByteArray> FormatMovieScript(int n, const ScriptSettings& settings,
                                            const MovieDoc& doc) {
    if (n < 0 || n > doc.lastSlot()) {
        return std::nullopt;
    }
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral("VER,%1.%2")
                .arg(MovieDoc::kProgramMajorVersion, 2, 10, QChar(u'0'))
                .arg(MovieDoc::kProgramMinorVersion, 2, 10, QChar(u'0')) +
            crlf;
    text += QStringLiteral("MAX,%1").arg(n) + crlf;
    text += QStringLiteral("LOOP,%1").arg(settings.loop ? 1 : 0) + crlf;
    const int jidou = settings.advanceOption == 0 ? 0 : settings.advanceOption == 1 ? 1 : 2;
    text += QStringLiteral("JIDOU,%1").arg(jidou) + crlf;
    const double loopWait = NumericText::LeadingNumber(settings.loopWaitText.trimmed());
    text += QStringLiteral("LOOPWAIT,") + ScriptFields::formatNumber(loopWait) + crlf;
    text += QStringLiteral("OPTEND,START") + crlf;
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        const auto picture = nameField(frame.pictureFile, false);
        const auto sound = nameField(frame.soundFile, true);
        if (!frame.inUse || !picture || !sound) {
            return std::nullopt;
        }
        const QString number = QStringLiteral("%1").arg(k, 3, 10, QChar(u'0'));
        text += QStringLiteral("NAME,") + number + u',' + *picture + crlf;
        text += QStringLiteral("WAIT,") + number + u',' + QString::number(frame.waitMs) + crlf;
        text += QStringLiteral("SOUND,") + number + u',' + *sound + crlf;
    }
    text += QStringLiteral("END,END,END") + crlf;
    return storedText(text);
}

bool WriteMovieScript(const MovieDoc& doc, int n, const QString& folder,
                      const ScriptSettings& settings) {
    const auto bytes = FormatMovieScript(n, settings, doc);
    if (!bytes) {
        return false;
    }
    // Written beside and renamed into place: a full disk leaves no half script.
    QSaveFile file(QDir(folder).filePath(kScriptName));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(*bytes) != bytes->size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace MovieScript
