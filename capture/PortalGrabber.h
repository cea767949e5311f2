#pragma once

#include "capture/ScreenGrabber.h"

#include <QDBusConnection>

// Asks the desktop portal (org.freedesktop.portal.Screenshot, without its
// dialog) for the screen: the only way to read a Wayland desktop, whether
// the asking window runs natively or on XWayland. The portal cannot copy
// one window without asking the user, so the active window is the screen.
class PortalGrabber final : public ScreenGrabber {
public:
    // A portal that has not answered within `answerTimeoutMs` of the call
    // counts as not answering.
    explicit PortalGrabber(QDBusConnection bus = QDBusConnection::sessionBus(),
                           int answerTimeoutMs = 10000);

    GrabResult grabScreen() override;
    GrabResult grabActiveWindow() override { return grabScreen(); }
    bool copiesActiveWindow() const override { return false; }
    bool desktopComposites() const override { return true; }

private:
    QDBusConnection bus_;
    int answerTimeoutMs_;
};
