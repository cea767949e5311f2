#pragma once

#include <QStringList>

// The General MIDI soundfonts MIDI sounds are synthesised with, chosen in
// one place so that an exported movie sounds as the player plays it.
namespace SoundFont {

// SDL_SOUNDFONTS when it is set (several paths, separated by ':' or ';',
// as SDL_mixer reads it), else the first GM soundfont found where Debian
// installs them. Empty when there is none.
QStringList paths();

// True when the environment chose the soundfonts, so that SDL_mixer reads
// them itself.
bool chosenByEnvironment();

}  // namespace SoundFont
