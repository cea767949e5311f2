#include "PackageSave.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PackageNames.h"
#include "moviefile/TemporaryPackage.h"
#include "moviefile/WorkFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cmath>

namespace PackageSave {
namespace {

// The files frames 1 to n bring into the package: every picture, and each
// sound the work folder still holds.
QStringList unstorableNames(const MovieDoc& doc, int n) {
    QStringList pictures;
    QStringList sounds;
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[k];
        pictures << frame.pictureFile;
        if (!frame.soundFile.trimmed().isEmpty() &&
            QFileInfo(WorkFolder::filePath(frame.soundFile)).isFile()) {
            sounds << frame.soundFile;
        }
    }
    return PackageNames::Unstorable(pictures, sounds);
}

}  // namespace

SaveResult SavePackage(const QString& path, int n, const MovieScript::ScriptSettings& settings,
                       const std::function<void(int)>& progress, const QString& scriptFolder) {
    const MovieDoc& doc = movieDoc();
    if (const QStringList names = unstorableNames(doc, n); !names.isEmpty()) {
        return SaveResult{false, MovieMessage::UnstorableNames, names.join(QStringLiteral("\r\n"))};
    }
    TemporaryPackage package(path);
    const QString temporary = package.path();
    auto fail = [](MovieMessage message) { return SaveResult{false, message, {}}; };
    if (!package.isValid() || scriptFolder.isEmpty()) {
        return fail(MovieMessage::SaveFailed);
    }

    const QString script = QDir(scriptFolder).filePath(MovieScript::kScriptName);
    if (!MovieScript::WriteMovieScript(n, scriptFolder, settings)) {
        return fail(MovieMessage::SaveFailed);
    }
    const int stored = MLha::StoreInPackage(temporary, script, true);
    AFrameReel::DeleteFileQuietly(script);
    if (stored != 0) {
        return fail(MovieMessage::SaveFailed);
    }

    const float step = 100.0f / static_cast<float>(n);
    float done = 0;
    QSet<QString> storedNames;
    auto store = [&](const QString& name) {
        if (storedNames.contains(name)) {
            return true;
        }
        storedNames.insert(name);
        return MLha::StoreInPackage(temporary, WorkFolder::filePath(name), false) == 0;
    };
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[k];
        if (!QFileInfo(WorkFolder::filePath(frame.pictureFile)).isFile()) {
            return fail(MovieMessage::SaveFileMissing);
        }
        if (!store(frame.pictureFile)) {
            return fail(MovieMessage::SaveFailed);
        }
        // A sound the work folder no longer holds is left out; the script
        // still names it, as the user chose it.
        if (!frame.soundFile.trimmed().isEmpty() &&
            QFileInfo(WorkFolder::filePath(frame.soundFile)).isFile() && !store(frame.soundFile)) {
            return fail(MovieMessage::SaveFailed);
        }
        done += step;
        if (progress) {
            progress(static_cast<int>(std::nearbyint(done)));
        }
    }
    if (!package.commit()) {
        return fail(MovieMessage::SaveFailed);
    }
    return SaveResult{true, MovieMessage::None, {}};
}

}  // namespace PackageSave
