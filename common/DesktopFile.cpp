#include "common/DesktopFile.h"

#include <QFile>

namespace {

bool isHeader(const QString& line) {
    return line.trimmed().startsWith(u'[');
}

// The key of a "Key=Value" line; empty for headers, comments and blanks.
QString keyOf(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'#') || trimmed.startsWith(u'[')) {
        return {};
    }
    const qsizetype equals = trimmed.indexOf(u'=');
    return equals > 0 ? trimmed.left(equals).trimmed() : QString();
}

QString valueOf(const QString& line) {
    return line.mid(line.indexOf(u'=') + 1).trimmed();
}

}  // namespace

DesktopFile::DesktopFile(const QString& text) {
    lines_ = text.split(u'\n');
    if (!lines_.isEmpty() && lines_.last().isEmpty()) {
        lines_.removeLast();
    }
}

std::optional<DesktopFile> DesktopFile::read(const QString& path) {
    QFile file(path);
    if (!file.exists()) {
        return DesktopFile();
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return DesktopFile(QString::fromUtf8(file.readAll()));
}

QString DesktopFile::text() const {
    return lines_.isEmpty() ? QString() : lines_.join(u'\n') + u'\n';
}

DesktopFile::Span DesktopFile::find(const QString& group) const {
    const QString header = u'[' + group + u']';
    Span span;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        if (span.header < 0) {
            if (lines_[i].trimmed() == header) {
                span.header = i;
            }
        } else if (isHeader(lines_[i])) {
            span.end = i;
            return span;
        }
    }
    span.end = lines_.size();
    return span;
}

QList<std::pair<QString, QString>> DesktopFile::entries(const QString& group) const {
    QList<std::pair<QString, QString>> found;
    const QString header = u'[' + group + u']';
    bool inGroup = false;
    for (const QString& line : lines_) {
        if (isHeader(line)) {
            inGroup = line.trimmed() == header;
        } else if (const QString key = keyOf(line); inGroup && !key.isEmpty()) {
            found.append({key, valueOf(line)});
        }
    }
    return found;
}

QString DesktopFile::value(const QString& group, const QString& key) const {
    for (const auto& [name, value] : entries(group)) {
        if (name == key) {
            return value;
        }
    }
    return {};
}

void DesktopFile::setValue(const QString& group, const QString& key, const QString& value) {
    const QString line = key + u'=' + value;
    const Span span = find(group);
    if (span.header < 0) {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) {
            lines_ << QString();
        }
        lines_ << u'[' + group + u']' << line;
        return;
    }
    qsizetype last = span.header;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (keyOf(lines_[i]) == key) {
            lines_[i] = line;
            return;
        }
        if (!lines_[i].trimmed().isEmpty()) {
            last = i;
        }
    }
    lines_.insert(last + 1, line);
}

void DesktopFile::removeKey(const QString& group, const QString& key) {
    const Span span = find(group);
    if (span.header < 0) {
        return;
    }
    qsizetype end = span.end;
    bool empty = true;
    for (qsizetype i = span.header + 1; i < end;) {
        if (keyOf(lines_[i]) == key) {
            lines_.removeAt(i);
            --end;
            continue;
        }
        empty = empty && lines_[i].trimmed().isEmpty();
        ++i;
    }
    if (empty) {
        lines_.remove(span.header, end - span.header);
        while (!lines_.isEmpty() && lines_.last().trimmed().isEmpty()) {
            lines_.removeLast();
        }
    }
}

QString DesktopFile::escape(const QString& text) {
    QString escaped;
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'\\':
                escaped += QStringLiteral("\\\\");
                break;
            case u'\n':
                escaped += QStringLiteral("\\n");
                break;
            case u'\t':
                escaped += QStringLiteral("\\t");
                break;
            case u'\r':
                escaped += QStringLiteral("\\r");
                break;
            default:
                escaped += c;
        }
    }
    // Leading blanks would be trimmed away on reading.
    if (escaped.startsWith(u' ')) {
        escaped.replace(0, 1, QStringLiteral("\\s"));
    }
    return escaped;
}

QString DesktopFile::unescape(const QString& value) {
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            text += next == u's'   ? QChar(u' ')
                    : next == u'n' ? QChar(u'\n')
                    : next == u't' ? QChar(u'\t')
                    : next == u'r' ? QChar(u'\r')
                                   : next;
        } else {
            text += value[i];
        }
    }
    return text;
}

QStringList DesktopFile::splitList(const QString& value) {
    return value.split(u';', Qt::SkipEmptyParts);
}

QString DesktopFile::joinList(const QStringList& items) {
    return items.join(u';') + u';';
}
