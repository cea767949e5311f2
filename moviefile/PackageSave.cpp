#include "PackageSave.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/ReplaceByRename.h"
#include "moviefile/WorkFolder.h"

#include <QFileInfo>
#include <QSet>

#include <cmath>

namespace PackageSave {
SaveResult SavePackage(const QString& path, int n, const MovieScript::ScriptSettings& settings,
                       const std::function<void(int)>& progress) {
    const MovieDoc& doc = movieDoc();
    const QString temporary = ReplaceByRename::ReserveBeside(path);
    auto fail = [&](MovieMessage message) {
        if (!temporary.isEmpty()) {
            AFrameReel::DeleteFileQuietly(temporary);
        }
        return SaveResult{false, message};
    };
    if (temporary.isEmpty()) {
        return fail(MovieMessage::SaveFailed);
    }

    const QString script = WorkFolder::filePath(MovieScript::kScriptName);
    if (!MovieScript::WriteMovieScript(n, WorkFolder::path(), settings)) {
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
    if (!ReplaceByRename::RenameOver(temporary, path)) {
        return fail(MovieMessage::SaveFailed);
    }
    return SaveResult{true, MovieMessage::None};
}

}  // namespace PackageSave
