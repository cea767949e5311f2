#pragma once

#include <QImage>

#include <memory>
#include <optional>

// Copies what is on screen. Each display system has its own way; the one in
// use is chosen by create() and nowhere else.
class ScreenGrabber {
public:
    virtual ~ScreenGrabber() = default;

    // The whole screen, in the display's own depth (Format_RGB32 for a
    // 24-bit display). Nothing when the screen cannot be read.
    virtual std::optional<QImage> grabScreen() = 0;

    // The active top-level window with its window-manager frame and title
    // bar, as it is on screen; parts off the screen come out black. Where the
    // active window cannot be told, the whole screen.
    virtual std::optional<QImage> grabActiveWindow() = 0;

    // The grabber for the display this program runs on: X11 for the xcb
    // platform, the desktop portal for Wayland, and one that always fails
    // when there is no display server (the offscreen platform).
    static std::unique_ptr<ScreenGrabber> create();
};

// Where no screen can be read: every copy fails.
class NullGrabber final : public ScreenGrabber {
public:
    std::optional<QImage> grabScreen() override { return std::nullopt; }
    std::optional<QImage> grabActiveWindow() override { return std::nullopt; }
};
