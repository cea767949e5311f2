#pragma once

#include <QImage>

#include <memory>

// Why a copy of the screen brought no picture.
enum class GrabFailure {
    None,
    NoScreen,       // no display to read, or the display refused the read
    PortalMissing,  // a Wayland session without a screenshot portal
    Refused,        // the desktop (or the user, in its dialog) said no
    NoAnswer,       // the portal did not answer in time
    PortalError,    // the portal answered with an error, or with no picture
};

struct GrabResult {
    QImage picture;
    GrabFailure failure = GrabFailure::None;

    bool ok() const { return failure == GrabFailure::None && !picture.isNull(); }
    static GrabResult of(QImage image) {
        return image.isNull() ? failed(GrabFailure::NoScreen) : GrabResult{std::move(image)};
    }
    static GrabResult failed(GrabFailure why) { return GrabResult{QImage(), why}; }
};

// Copies what is on screen. Each kind of desktop session has its own way;
// the one in use is chosen by create() and nowhere else.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;

    // The whole desktop, every monitor of it, at its full device
    // resolution, in the display's own depth (Format_RGB32 for 24 bits).
    virtual GrabResult grabScreen() = 0;

    // The active top-level window with its window-manager frame and title
    // bar, as it is on screen; parts off the screen come out black. Where the
    // active window cannot be told, the whole screen.
    virtual GrabResult grabActiveWindow() = 0;

    // False where only the whole screen can be copied, so that the user can
    // be told before the copy instead of being given something else.
    virtual bool copiesActiveWindow() const { return true; }

    // Whether the desktop repaints by itself where a window was (a
    // compositor), or waits for the programs below to redraw (plain X11).
    virtual bool desktopComposites() const { return false; }

    // The grabber for the session the program runs in: the desktop portal
    // on a Wayland session, whether the windows run natively or on XWayland;
    // the X server's root window on X11; one that always fails without a
    // display.
    static std::unique_ptr<ScreenGrabber> create();
};

// Where no screen can be read: every copy fails.
class NullGrabber final : public ScreenGrabber {
public:
    GrabResult grabScreen() override { return GrabResult::failed(GrabFailure::NoScreen); }
    GrabResult grabActiveWindow() override { return GrabResult::failed(GrabFailure::NoScreen); }
};
