#include "PackageNames.h"

#include "MovieDoc.h"
#include "MovieScript.h"
#include "WorkFolder.h"

#include "archiver/LhaMemberName.h"
#include "archiver/TextEncoding.h"

namespace PackageNames {
namespace {

// The name as a member: stored, then read back from the header.
bool survivesAsMember(const QString& name) {
    const std::string utf8 = name.toStdString();
    const lha::MemberName read = lha::ParseMemberName({}, TextEncoding::toPackageText(utf8));
    return read.safe && read.bareName == utf8;
}

// The name in a script: written into one, then read back.
bool survivesInScript(const QString& name, bool asPicture) {
    MovieDoc doc;
    doc.resetFrames(1);
    FrameEntry& frame = doc.frames[1];
    frame.inUse = true;
    frame.pictureFile = asPicture ? name : QStringLiteral("a.bmp");
    frame.soundFile = asPicture ? QString() : name;
    const auto bytes = MovieScript::FormatMovieScript(1, {}, doc);
    MovieDoc read;
    if (!bytes || !MovieScript::ParseMovieScript(*bytes, MovieScript::ForPlayer, read).ok()) {
        return false;
    }
    return read.hasSlot(1) && read.frames[1].pictureFile == frame.pictureFile &&
           read.frames[1].soundFile == frame.soundFile;
}

bool hasEnding(const QString& name, std::initializer_list<const char*> patterns) {
    for (const char* pattern : patterns) {
        if (lha::MatchesPattern(name.toStdString(), pattern)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QStringList Unstorable(const QStringList& pictures, const QStringList& sounds) {
    QStringList refused;
    auto refuse = [&refused](const QString& name) {
        if (!refused.contains(name)) {
            refused << name;
        }
    };
    QStringList all;
    for (const QString& name : pictures + sounds) {
        if (!all.contains(name)) {
            all << name;
        }
    }
    for (const QString& name : all) {
        const bool picture = pictures.contains(name);
        const bool ending =
            picture ? hasEnding(name, {"*.bmp"}) : hasEnding(name, {"*.wav", "*.mid"});
        if (!WorkFolder::isBareFileName(name) || !ending || !survivesAsMember(name) ||
            !survivesInScript(name, picture)) {
            refuse(name);
        }
    }
    // An exact name is extracted as a pattern that ignores letter case: two
    // names it cannot tell apart would come back as one file.
    QStringList members = all;
    members.prepend(MovieScript::kScriptName);
    for (qsizetype i = 0; i < members.size(); ++i) {
        for (qsizetype j = i + 1; j < members.size(); ++j) {
            if (lha::MatchesPattern(members[j].toStdString(), members[i].toStdString())) {
                if (i > 0) {
                    refuse(members[i]);
                }
                refuse(members[j]);
            }
        }
    }
    return refused;
}

}  // namespace PackageNames
