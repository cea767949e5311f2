#pragma once

#include "capture/ScreenGrabber.h"

#include <QDBusConnection>

// Asks the desktop portal (org.freedesktop.portal.Screenshot) for the
// screen, the only way a Wayland client may read it. The portal cannot copy
// one window without asking the user, so the active window is the screen.
class PortalGrabber final : public ScreenGrabber {
public:
    explicit PortalGrabber(QDBusConnection bus = QDBusConnection::sessionBus(),
                           int answerTimeoutMs = 60000);

    std::optional<QImage> grabScreen() override;
    std::optional<QImage> grabActiveWindow() override { return grabScreen(); }

private:
    QDBusConnection bus_;
    int answerTimeoutMs_;
};
