#pragma once

#include "capture/ScreenGrabber.h"

#include <QRect>

#include <optional>

#include <xcb/xcb.h>

// Copies from the X root window, so that what is copied is exactly what is
// on screen, whichever window it belongs to.
class X11Grabber final : public ScreenGrabber {
public:
    // Connects to the named display ($DISPLAY when null); nothing when the
    // server cannot be reached.
    static std::unique_ptr<X11Grabber> connect(const char* displayName = nullptr);

    GrabResult grabScreen() override;
    GrabResult grabActiveWindow() override;

    // The active window's outer rectangle (window-manager frame included)
    // in screen pixels; nothing when no window is active.
    std::optional<QRect> activeFrame();

private:
    struct Disconnect {
        void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
    };

    X11Grabber(xcb_connection_t* connection, xcb_screen_t* screen);

    std::optional<QImage> copyFromRoot(const QRect& area);
    bool decodeInto(QImage& picture, const QPoint& at, const xcb_get_image_reply_t& reply,
                    int width, int height);
    xcb_window_t activeWindow();
    std::optional<QRect> outerRectOf(xcb_window_t window);
    xcb_atom_t atom(const char* name);

    std::unique_ptr<xcb_connection_t, Disconnect> connection_;
    xcb_screen_t* screen_;
};
