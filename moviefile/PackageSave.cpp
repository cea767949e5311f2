#include "PackageSave.h"

#include "moviefile/AFrameReel.h"
#include "moviefile/MLha.h"
#include "moviefile/PackageNames.h"
#include "moviefile/ParallelStore.h"
#include "moviefile/TemporaryPackage.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cmath>
#include <vector>

namespace PackageSave {
namespace {

// A frame's file in the work folder; names are bare, never a path of
// their own (QDir::filePath would take an absolute one as it is).
QString inFolder(const QString& folder, const QString& name) {
    return folder + u'/' + name;
}

// Which names of the files frames 1 to n bring into the package (every
// picture, and each sound the work folder still holds) it cannot carry.
QStringList unstorableNames(const MovieDoc& doc, const QString& work, int n) {
    QStringList pictures;
    QStringList sounds;
    for (int k = 1; k <= n; ++k) {
        const FrameEntry& frame = doc.frames[k];
        pictures << frame.pictureFile;
        if (!frame.soundFile.trimmed().isEmpty() &&
            QFileInfo(inFolder(work, frame.soundFile)).isFile()) {
            sounds << frame.soundFile;
        }
    }
    return PackageNames::Unstorable(pictures, sounds);
}

}  // namespace

SaveResult SavePackage(const MovieDoc& doc, const QString& workFolder, const QString& path, int n,
                       const MovieScript::ScriptSettings& settings,
                       const std::function<void(int)>& progress, const QString& scriptFolder) {
    if (const QStringList names = unstorableNames(doc, workFolder, n); !names.isEmpty()) {
        return SaveResult{false, MovieMessage::UnstorableNames, names.join(QStringLiteral("\r\n"))};
    }
    TemporaryPackage package(path);
    const QString temporary = package.path();
    auto fail = [](MovieMessage message) { return SaveResult{false, message, {}}; };
    if (!package.isValid() || scriptFolder.isEmpty()) {
        return fail(MovieMessage::SaveFailed);
    }

    const QString script = QDir(scriptFolder).filePath(MovieScript::kScriptName);
    if (!MovieScript::WriteMovieScript(doc, n, scriptFolder, settings)) {
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
    QSet<QString> planned;
    struct FrameMembers {
        int picture = -1;
        int sound = -1;
    };
    std::vector<FrameMembers> members(static_cast<std::size_t>(n) + 1);
    auto plan = [&](const QString& name) {
        if (planned.contains(name)) {
            return -1;
        }
        planned.insert(name);
        files.append(inFolder(workFolder, name));
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
        if (!QFileInfo(inFolder(workFolder, frame.pictureFile)).isFile()) {
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
    if (!store.finish() || !package.commit()) {
        return fail(MovieMessage::SaveFailed);
    }
    return SaveResult{true, MovieMessage::None, {}};
}

}  // namespace PackageSave
