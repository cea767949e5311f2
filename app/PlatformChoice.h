#pragma once

#include "common/DesktopSession.h"

#include <vector>

// Which of Qt's display plugins the windows run on, decided once, before
// the application object exists.
//
// The windows place themselves (the editor's saved position), stay above
// others without taking the focus (the capture window) and move without a
// frame (the player). X11 allows all of it, and XWayland keeps it on a
// Wayland desktop; a native Wayland client can do none of it. So a Wayland
// session with XWayland runs the windows on xcb, unless the user chose a
// plugin, or a screen is scaled: XWayland draws at one pixel per point and
// the compositor blows that up, so at 2x every window would be blurred and
// no picture would be shown at its own pixels.
namespace PlatformChoice {

struct Facts {
    DesktopSession::Kind session = DesktopSession::Kind::None;
    bool userChose = false;          // QT_QPA_PLATFORM is set
    bool xwaylandReachable = false;  // an X server answers on $DISPLAY
    int largestScale = 1;            // of the Wayland outputs
};

enum class Plugin { LeftToQt, Xcb };

Plugin Decide(const Facts& facts);

// What this session looks like; talks to the display servers briefly.
Facts Probe();

// `argv` with "-platform xcb" added where Decide says so. The choice goes on
// the command line and not into the environment, so the programs we start
// (a picture editor) still choose for themselves.
std::vector<char*> Arguments(int argc, char** argv);

}  // namespace PlatformChoice
