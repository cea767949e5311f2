#pragma once

// The kind of desktop session the program was started in, as the session
// announces it in the environment. It decides how screens are copied,
// whatever display plugin Qt ended up with: windows of a Wayland session
// may run on XWayland, but only the desktop portal sees the whole screen.
namespace DesktopSession {

enum class Kind {
    None,     // no display at all
    X11,      // an X server
    Wayland,  // a Wayland compositor, with or without XWayland
};

Kind current();

}  // namespace DesktopSession
