#pragma once

class QApplication;

namespace StartUp {

// Qt's own dialog texts in Japanese and a font with Japanese glyphs,
// whatever the user's locale.
void installJapanese(QApplication& application);

// The whole program: start-up checks, the launcher, the event loop.
int run(int argc, char** argv);

}  // namespace StartUp
