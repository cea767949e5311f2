#include "MDROP_GET.h"

#include "MWIN_VER.h"
#include "archiver/TextEncoding.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <string>

namespace MDROP_GET {
namespace {

// Lines that end at CR, a CR LF pair counting as one end. A read past the
// end gives nothing.
class LineReader {
public:
    explicit LineReader(QByteArrayView bytes) : bytes_(bytes) {}

    bool atEnd() const { return position_ >= bytes_.size(); }

    std::optional<QString> next() {
        if (atEnd()) {
            return std::nullopt;
        }
        qsizetype end = bytes_.indexOf('\r', position_);
        if (end < 0) {
            end = bytes_.size();
        }
        const QByteArrayView line = bytes_.sliced(position_, end - position_);
        position_ = end + 1;
        if (position_ < bytes_.size() && bytes_[position_] == '\n') {
            ++position_;
        }
        const std::string utf8 = TextEncoding::cp932ToUtf8Lossy(
            std::string_view(line.data(), static_cast<std::size_t>(line.size())));
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    }

private:
    QByteArrayView bytes_;
    qsizetype position_ = 0;
};

bool isDrivePath(const QString& line) {
    return line.mid(1, 2) == QStringLiteral(":\\");
}

}  // namespace

DroppedPath ReadShortcutText(QByteArrayView bytes, const QString& file, int platform) {
    LineReader reader(bytes);
    QString candidate;
    int code = Nothing;
    // The first line is read before the end is looked for: an empty
    // shortcut, like every one that ends too early, gives nothing.
    do {
        const auto line = reader.next();
        if (!line) {
            return {};
        }
        if (line->contains(QStringLiteral("\\\\"))) {
            return {file, ShortcutOnly};
        }
        if (!isDrivePath(*line)) {
            continue;
        }
        const qsizetype separator = line->indexOf(QChar(29));
        candidate = separator < 0 ? *line : line->left(separator);
        if (platform == MWIN_VER::kFamily95) {
            code = ShortcutTarget;
            while (!reader.atEnd()) {
                const auto further = reader.next();
                if (further->startsWith(u' ')) {
                    candidate += *further;
                    code = TargetWithPart;
                    break;
                }
            }
            continue;
        }
        code = ShortcutOnly;
        while (!reader.atEnd()) {
            const auto further = reader.next();
            if (!further->contains(u'$')) {
                continue;
            }
            code = ShortcutTarget;
            const auto rest = reader.next();
            if (!rest) {
                return {};
            }
            candidate += *rest;
            std::optional<QString> last;
            for (int i = 0; i < 3; ++i) {
                last = reader.next();
                if (!last) {
                    return {};
                }
            }
            if (last->size() > 1) {
                candidate += u' ' + *last;
                code = TargetWithPart;
            }
            break;
        }
        if (code == ShortcutOnly) {
            candidate = file;
        }
    } while (!reader.atEnd());
    return {candidate, code};
}

DroppedPath GetDroppedFilePath(const QString& file) {
    const QString extension = QStringLiteral(".lnk");
    const qsizetype at = file.indexOf(extension);
    if (at < 0 || at != file.size() - extension.size()) {
        return {file, OrdinaryFile};
    }
    // Only a regular file is read: a pipe or device would never end.
    QFile shortcut(file);
    if (!QFileInfo(file).isFile() || !shortcut.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = shortcut.read(kMaxShortcutBytes);
    return ReadShortcutText(bytes, file, MWIN_VER::OsPlatform());
}

}  // namespace MDROP_GET
