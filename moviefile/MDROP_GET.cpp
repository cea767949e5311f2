#include "MDROP_GET.h"

#include "MWIN_VER.h"

#include <QFile>
#include <QFileInfo>

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

namespace MDROP_GET {
namespace {

// CP932 bytes as text, one U+FFFD for each byte that starts no character:
// a shortcut is binary, and only its text parts matter.
class Cp932Decoder {
public:
    Cp932Decoder() : cd_(iconv_open("UTF-8", "CP932")) {}
    ~Cp932Decoder() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Cp932Decoder(const Cp932Decoder&) = delete;
    Cp932Decoder& operator=(const Cp932Decoder&) = delete;

    QString decode(QByteArrayView bytes) const {
        if (!valid()) {
            return QString::fromLatin1(bytes);
        }
        std::string output;
        char buffer[256];
        char* in = const_cast<char*>(bytes.data());
        size_t inLeft = static_cast<size_t>(bytes.size());
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, sizeof buffer - outLeft);
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                // EILSEQ or a lead byte cut off by the line's end.
                output.append("\xEF\xBF\xBD");
                ++in;
                --inLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return QString::fromUtf8(output.data(), static_cast<qsizetype>(output.size()));
    }

private:
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

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
        return decoder_.decode(line);
    }

private:
    QByteArrayView bytes_;
    qsizetype position_ = 0;
    Cp932Decoder decoder_;
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
