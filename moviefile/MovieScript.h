#pragma once

#include "MovieDoc.h"
#include "MovieMessages.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The movie script "Slidewright.ini" that every package carries: movie
// settings, then frame by frame the picture, the wait and the sound.
namespace MovieScript {

inline const QString kScriptName = QStringLiteral("Slidewright.ini");

enum class ScriptMode {
    ForPlayer,  // the table takes exactly the script's frame count
    ForEditor,  // the table keeps its 100 slots
};
using enum ScriptMode;

enum class ReadOutcome {
    Ok,
    ExtractionFailed,  // the archiver could not give the script
    InvalidFile,       // the script broke one of the reading rules
};

// Which reading rule an invalid script broke, for tests and diagnostics.
enum class ScriptProblem {
    None,
    Unreadable,          // missing after extraction, or too large to be a script
    EndedEarly,          // no OPTEND or no END record
    NotANumber,          // a number field holds no number
    OutOfRange,          // beyond 16 bits (settings) or 32 bits (frames)
    NegativeFrameCount,  // MAX below 0
    TooManyFrames,       // MAX above 100
    NoFrames,            // the player was given MAX 0
    FrameOutsideTable,   // a frame number outside 1 to MAX
    UnsafeName,          // a picture or sound name that is not a bare file name
};

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Ok;
    ScriptProblem problem = ScriptProblem::None;
    // The script names a newer major version: show NewerVersion first,
    // whatever the outcome.
    bool newerVersion = false;

    bool ok() const { return outcome == ReadOutcome::Ok; }
    // The box for a failed read; None when the read went well.
    MovieMessage message() const { return ok() ? MovieMessage::None : MovieMessage::InvalidScript; }
};

// Extracts the script of `package` into `folder`, reads it into doc and
// deletes it again. On failure doc is left exactly as it was. The folder
// must be one of the program's own: a file of the script's name there is
// replaced and removed.
ReadResult ReadPackageScript(const QString& package, const QString& folder, ScriptMode mode,
                             MovieDoc& doc);

// Reads script text (CP932 or UTF-8) into doc; doc changes only on success.
ReadResult ParseMovieScript(QByteArrayView bytes, ScriptMode mode, MovieDoc& doc);

// The movie-level values as the editor's controls show them.
struct ScriptSettings {
    bool loop = false;                            // chkLoop
    int advanceOption = 0;                        // index of the chosen optJidou
    QString loopWaitText = QStringLiteral("10");  // txtLoop, as typed
};

// The script's bytes for frames 1 to n of doc, CR LF line ends, in CP932
// when every character has a CP932 form, else UTF-8. Nothing when n is
// outside the table, a frame in 1 to n is unused, or a name could not be
// read back (see ReadPackageScript); names holding commas or outer blanks
// are written in double quotes.
std::optional<QByteArray> FormatMovieScript(int n, const ScriptSettings& settings,
                                            const MovieDoc& doc);

// Writes doc's script for frames 1 to n into folder. False when nothing
// complete could be written; no partial script is left behind.
bool WriteMovieScript(const MovieDoc& doc, int n, const QString& folder,
                      const ScriptSettings& settings);

}  // namespace MovieScript
