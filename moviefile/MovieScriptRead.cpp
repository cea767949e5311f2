#include "AFrameReel.h"
#include "ExtractionCheck.h"
#include "MLha.h"
#include "MovieScript.h"
#include "ScriptFields.h"
#include "WorkFolder.h"

#include "archiver/TextEncoding.h"
#include "common/NumericText.h"

#include <QDir>
#include <QFile>

#include <limits>

namespace MovieScript {
namespace {

// A script of 100 frames is a few kilobytes; anything this large is not one.
constexpr qint64 kLargestScript = 1 << 20;

template <typename Small>
std::optional<int> toInteger(const QString& field, ScriptProblem& problem) {
    const auto value = ScriptFields::roundedInteger(field);
    if (!value) {
        problem = ScriptProblem::NotANumber;
        return std::nullopt;
    }
    if (*value < std::numeric_limits<Small>::min() || *value > std::numeric_limits<Small>::max()) {
        problem = ScriptProblem::OutOfRange;
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

class ScriptParser {
public:
    ScriptParser(const QString& text, ScriptMode mode, MovieDoc& doc)
        : fields_(text), mode_(mode), doc_(doc) {}

    ReadResult run() {
        ReadResult result;
        result.problem = readSettings(result.newerVersion);
        if (result.problem == ScriptProblem::None) {
            result.problem = readFrames();
        }
        if (result.problem == ScriptProblem::None && mode_ == ForPlayer && doc_.frameCount < 1) {
            result.problem = ScriptProblem::NoFrames;
        }
        if (result.problem != ScriptProblem::None) {
            result.outcome = ReadOutcome::InvalidFile;
        }
        return result;
    }

private:
    ScriptProblem readSettings(bool& newerVersion) {
        while (true) {
            const auto key = fields_.next();
            const auto value = fields_.next();
            if (!key || !value) {
                return ScriptProblem::EndedEarly;
            }
            ScriptProblem problem = ScriptProblem::None;
            if (*key == u"OPTEND") {
                return problem;
            } else if (*key == u"VER") {
                doc_.version = *value;
                if (NumericText::LeadingNumber(QStringView(*value).left(2)) >
                    MovieDoc::kProgramMajorVersion) {
                    newerVersion = true;
                }
            } else if (*key == u"MAX") {
                const auto count = toInteger<qint16>(*value, problem);
                if (!count) {
                    return problem;
                }
                if (*count < 0) {
                    return ScriptProblem::NegativeFrameCount;
                }
                if (*count > MovieDoc::kEditorSlots) {
                    return ScriptProblem::TooManyFrames;
                }
                doc_.frameCount = *count;
                if (mode_ == ForPlayer) {
                    doc_.resetFrames(*count);
                }
            } else if (*key == u"LOOP" || *key == u"JIDOU" || *key == u"LOOPWAIT") {
                const auto number = toInteger<qint16>(*value, problem);
                if (!number) {
                    return problem;
                }
                int& target = *key == u"LOOP"    ? doc_.loopFlag
                              : *key == u"JIDOU" ? doc_.advanceMode
                                                 : doc_.loopWaitSeconds;
                target = *number;
            }
        }
    }

    ScriptProblem readFrames() {
        while (true) {
            const auto key = fields_.next();
            const auto number = fields_.next();
            const auto value = fields_.next();
            if (!key || !number || !value) {
                return ScriptProblem::EndedEarly;
            }
            if (*key == u"END") {
                return ScriptProblem::None;
            }
            const bool name = *key == u"NAME";
            const bool wait = *key == u"WAIT";
            const bool sound = *key == u"SOUND";
            if (!name && !wait && !sound) {
                continue;
            }
            ScriptProblem problem = ScriptProblem::None;
            const auto k = toInteger<qint32>(*number, problem);
            if (!k) {
                return problem;
            }
            if (*k < 1 || *k > doc_.frameCount || !doc_.hasSlot(*k)) {
                return ScriptProblem::FrameOutsideTable;
            }
            FrameEntry& frame = doc_.frames[static_cast<size_t>(*k)];
            if (name) {
                if (!WorkFolder::isBareFileName(*value)) {
                    return ScriptProblem::UnsafeName;
                }
                frame.pictureFile = *value;
                frame.inUse = true;
            } else if (wait) {
                const auto ms = toInteger<qint32>(*value, problem);
                if (!ms) {
                    return problem;
                }
                frame.waitMs = *ms;
            } else {
                if (!value->isEmpty() && !WorkFolder::isBareFileName(*value)) {
                    return ScriptProblem::UnsafeName;
                }
                frame.soundFile = *value;
            }
        }
    }

    ScriptFields::FieldReader fields_;
    ScriptMode mode_;
    MovieDoc& doc_;
};

}  // namespace

ReadResult ParseMovieScript(QByteArrayView bytes, ScriptMode mode, MovieDoc& doc) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    const std::string utf8 = TextEncoding::fromPackageText(
        std::string_view(bytes.data(), static_cast<size_t>(bytes.size())));
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));

    // Read into a copy, so that a broken script leaves the caller's movie alone.
    MovieDoc read = doc;
    read.version = QStringLiteral("01.00");
    read.frameCount = 1;
    read.loopFlag = 0;
    read.advanceMode = 0;
    read.loopWaitSeconds = 10;
    if (mode == ForPlayer) {
        // Without a MAX record the movie has its one frame.
        read.resetFrames(1);
    } else if (read.lastSlot() < MovieDoc::kEditorSlots) {
        read.frames.resize(MovieDoc::kEditorSlots + 1);
    }
    const ReadResult result = ScriptParser(text, mode, read).run();
    if (result.ok()) {
        doc = std::move(read);
    }
    return result;
}

ReadResult ReadPackageScript(const QString& package, const QString& folder, ScriptMode mode,
                             MovieDoc& doc) {
    if (folder.isEmpty()) {
        return {ReadOutcome::ExtractionFailed, ScriptProblem::Unreadable, false};
    }
    const QString script = QDir(folder).filePath(kScriptName);
    // A script left over from before must not pass for this package's.
    AFrameReel::DeleteFileQuietly(script);
    // A script a thousand times larger than any real one is not unpacked.
    if (!ExtractionCheck::Check(package, {kScriptName}, folder, kLargestScript).ok()) {
        return {ReadOutcome::InvalidFile, ScriptProblem::Unreadable, false};
    }
    if (MLha::ExtractFromPackage(package, folder, kScriptName) != 0) {
        AFrameReel::DeleteFileQuietly(script);
        return {ReadOutcome::ExtractionFailed, ScriptProblem::Unreadable, false};
    }
    QFile file(script);
    QByteArray bytes;
    const bool readable = file.open(QIODevice::ReadOnly) && file.size() <= kLargestScript;
    if (readable) {
        bytes = file.read(kLargestScript);
    }
    file.close();
    AFrameReel::DeleteFileQuietly(script);
    if (!readable) {
        return {ReadOutcome::InvalidFile, ScriptProblem::Unreadable, false};
    }
    return ParseMovieScript(bytes, mode, doc);
}

}  // namespace MovieScript
