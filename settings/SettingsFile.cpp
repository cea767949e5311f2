#include "SettingsFile.h"

#include "archiver/FileDescriptor.h"
#include "common/NumericText.h"
#include "settings/MFullPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <optional>

namespace SettingsFile {

namespace {

const QString kFileName = QStringLiteral("Slidewright.ini");
const QString kProgramFolder = QStringLiteral("slidewright");

// A settings file is a few hundred bytes; anything far larger is not ours.
constexpr qint64 kMaxFileSize = 1 << 20;

const QString kTop = QStringLiteral("[TOP   ]");
const QString kLeft = QStringLiteral("[LEFT  ]");
const QString kWork = QStringLiteral("[SAGYOU]");
const QString kSave = QStringLiteral("[HOZON ]");
const QString kColor = QStringLiteral("[COLOR ]");
const QString kTimer = QStringLiteral("[TIMER ]");
const QString kContinuous = QStringLiteral("[RENZOK]");
const QString kActive = QStringLiteral("[ACTIVE]");

struct Record {
    QString key;
    QString value;
};

qsizetype skipBlanks(const QString& line, qsizetype i) {
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) {
        ++i;
    }
    return i;
}

// Splits "key,value". Blanks before either field are skipped and a field
// that begins with a double quote runs to the next one. The value is the
// rest of the line, so a folder name holding a comma survives the round
// trip. A line without a comma has no value and is not a record.
std::optional<Record> splitRecord(const QString& line) {
    qsizetype i = skipBlanks(line, 0);
    Record record;
    qsizetype comma = -1;
    if (i < line.size() && line[i] == u'"') {
        const qsizetype close = line.indexOf(u'"', i + 1);
        if (close < 0) {
            return std::nullopt;
        }
        record.key = line.mid(i + 1, close - i - 1);
        comma = line.indexOf(u',', close + 1);
    } else {
        comma = line.indexOf(u',', i);
        if (comma >= 0) {
            record.key = line.mid(i, comma - i);
        }
    }
    if (comma < 0) {
        return std::nullopt;
    }
    const qsizetype v = skipBlanks(line, comma + 1);
    if (v < line.size() && line[v] == u'"') {
        const qsizetype close = line.indexOf(u'"', v + 1);
        record.value = close < 0 ? line.mid(v + 1) : line.mid(v + 1, close - v - 1);
    } else {
        record.value = line.mid(v);
    }
    return record;
}

QString programDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           kProgramFolder;
}

// A folder from the file is taken only when it is an existing folder named
// by an absolute path; a relative one would depend on where the program was
// started.
bool isExistingFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.isAbsolute() && info.isDir();
}

QString folderForWriting(const QString& folder, const QString& fallback) {
    // A line break inside the value would split the record and put every
    // later line out of step when read back.
    if (folder.contains(u'\n') || folder.contains(u'\r')) {
        return fallback;
    }
    return folder;
}

}  // namespace

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           kProgramFolder + u'/' + kFileName;
}

QString DefaultWorkFolder() {
    return MFullPath::FullPath(programDataFolder()) + QStringLiteral("/BMP");
}

QString DefaultSaveFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) {
        return MFullPath::FullPath(documents);
    }
    return MFullPath::FullPath(QDir::homePath());
}

bool CreateDefaultWorkFolder() {
    return QDir().mkpath(DefaultWorkFolder());
}

ParseResult ParseSettingsText(const QByteArray& text, AppSettings& settings,
                              const FolderCheck& folderExists) {
    QString whole = QString::fromUtf8(text);
    whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    whole.replace(u'\r', u'\n');
    const QStringList lines = whole.split(u'\n');
    for (const QString& line : lines) {
        const std::optional<Record> record = splitRecord(line);
        if (!record) {
            continue;
        }
        const QString& key = record->key;
        const QString& value = record->value;
        if (key == kTop || key == kLeft) {
            const auto number = NumericText::RoundToInt32(NumericText::LeadingNumber(value));
            if (!number) {
                return ParseResult::Stopped;
            }
            (key == kTop ? settings.windowTop : settings.windowLeft) = *number;
        } else if (key == kWork || key == kSave) {
            if (folderExists(value)) {
                (key == kWork ? settings.workFolder : settings.saveFolder) = value;
            }
        } else if (key == kColor || key == kTimer || key == kContinuous || key == kActive) {
            const auto number = NumericText::RoundToInt16(NumericText::LeadingNumber(value));
            if (!number) {
                return ParseResult::Stopped;
            }
            if (key == kColor) {
                settings.captureColor = *number;
            } else if (key == kTimer) {
                settings.captureDelay = *number;
            } else if (key == kContinuous) {
                settings.captureContinuous = *number;
            } else {
                settings.captureActiveWindow = *number;
            }
        }
    }
    return ParseResult::Complete;
}

QByteArray SettingsText(const AppSettings& settings) {
    const std::array<std::pair<QString, QString>, 8> lines{{
        {kTop, QString::number(settings.windowTop)},
        {kLeft, QString::number(settings.windowLeft)},
        {kWork, folderForWriting(settings.workFolder, DefaultWorkFolder())},
        {kSave, folderForWriting(settings.saveFolder, DefaultSaveFolder())},
        {kColor, QString::number(settings.captureColor)},
        {kTimer, QString::number(settings.captureDelay)},
        {kContinuous, QString::number(settings.captureContinuous)},
        {kActive, QString::number(settings.captureActiveWindow)},
    }};
    QByteArray text;
    for (const auto& [key, value] : lines) {
        text += key.toUtf8();
        text += ',';
        text += value.toUtf8();
        text += "\r\n";
    }
    return text;
}

void ReadSettings(AppSettings& settings) {
    settings.windowTop = AppSettings::kPositionNotSet;
    settings.windowLeft = AppSettings::kPositionNotSet;
    settings.workFolder = DefaultWorkFolder();
    settings.saveFolder = DefaultSaveFolder();

    // Opened without waiting, and read only when it is a plain file: a FIFO
    // or a device in its place is as good as no file.
    FileDescriptor fd = FileDescriptor::open(QFile::encodeName(SettingsFilePath()).constData(),
                                             O_RDONLY | O_NONBLOCK);
    QFile file;
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxFileSize ||
        !file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        return;
    }
    fd.release();
    const QByteArray text = file.read(kMaxFileSize);
    file.close();
    ParseSettingsText(text, settings, isExistingFolder);
}

bool WriteSettings(const AppSettings& settings) {
    const QString path = SettingsFilePath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    // Written through a link (a settings file kept among other dotfiles),
    // but only ever in place of a plain file: what stands at the end of the
    // link, or in the file's place, is replaced only when it is one.
    const QFileInfo target(QFileInfo(path).isSymLink() ? QFileInfo(path).canonicalFilePath()
                                                       : path);
    if (target.filePath().isEmpty() || (target.exists() && !target.isFile()) ||
        (!target.exists() && target.isSymLink())) {
        return false;
    }
    QSaveFile file(target.filePath());
    // Unbuffered, so a failed write (a full disk) is seen here and not lost in a
    // flush whose failure the commit does not notice.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray text = SettingsText(settings);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace SettingsFile
