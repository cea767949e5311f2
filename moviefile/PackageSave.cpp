#include "PackageSave.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/ParallelStore.h"
#include "moviefile/WorkFolder.h"

#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

namespace PackageSave {
namespace {

// A name beside the target that no other file has, for the package while
// it is being written.
QString reserveTemporaryPath(const QString& target) {
    const QFileInfo info(target);
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    if (!file.open()) {
        return {};
    }
    return file.fileName();
}

bool renameOver(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdString()),
                            std::filesystem::path(to.toStdString()), error);
    return !error;
}

}  // namespace

SaveResult SavePackage(const QString& path, int n, const MovieScript::ScriptSettings& settings,
                       const std::function<void(int)>& progress) {
    const MovieDoc& doc = movieDoc();
    const QString temporary = reserveTemporaryPath(path);
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

    // Every distinct file once, in the script's order: the workers compress
    // them all at once while they are appended one by one below.
    QStringList files;
    QHash<QString, int> indexOf;
    struct FrameMembers {
        int picture = -1;
        int sound = -1;
    };
    std::vector<FrameMembers> members(static_cast<std::size_t>(n) + 1);
    auto plan = [&](const QString& name) {
        if (indexOf.contains(name)) {
            return -1;
        }
        indexOf.insert(name, static_cast<int>(files.size()));
        files.append(WorkFolder::filePath(name));
        return static_cast<int>(files.size()) - 1;
    };
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[k];
        members[k].picture = plan(frame.pictureFile);
        if (!frame.soundFile.trimmed().isEmpty()) {
            members[k].sound = plan(frame.soundFile);
        }
    }
    ParallelStore store(temporary, files);

    const float step = 100.0f / static_cast<float>(n);
    float done = 0;
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[k];
        if (!QFileInfo(WorkFolder::filePath(frame.pictureFile)).isFile()) {
            return fail(MovieMessage::SaveFileMissing);
        }
        if (members[k].picture >= 0 &&
            store.append(members[k].picture) != ParallelStore::Outcome::Appended) {
            return fail(MovieMessage::SaveFailed);
        }
        // A sound the work folder no longer holds is left out; the script
        // still names it, as the user chose it.
        if (members[k].sound >= 0 &&
            store.append(members[k].sound) == ParallelStore::Outcome::Failed) {
            return fail(MovieMessage::SaveFailed);
        }
        done += step;
        if (progress) {
            progress(static_cast<int>(std::nearbyint(done)));
        }
    }
    if (!store.finish()) {
        return fail(MovieMessage::SaveFailed);
    }
    if (!renameOver(temporary, path)) {
        return fail(MovieMessage::SaveFailed);
    }
    return SaveResult{true, MovieMessage::None};
}

}  // namespace PackageSave
