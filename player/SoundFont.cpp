#include "SoundFont.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace SoundFont {

bool chosenByEnvironment() {
    return !qEnvironmentVariableIsEmpty("SDL_SOUNDFONTS");
}

QStringList paths() {
    if (chosenByEnvironment()) {
        return qEnvironmentVariable("SDL_SOUNDFONTS")
            .split(QRegularExpression(QStringLiteral("[:;]")), Qt::SkipEmptyParts);
    }
    // SDL_mixer's own guess is only FluidR3; Debian installs the GM soundfont
    // of the timgm6mb package and may point default-GM.sf2 at another one.
    for (const char* candidate :
         {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
          "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2"}) {
        if (QFileInfo::exists(QString::fromLatin1(candidate))) {
            return {QString::fromLatin1(candidate)};
        }
    }
    return {};
}

}  // namespace SoundFont
