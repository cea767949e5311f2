#include "ScreenGrabber.h"

#include "capture/PortalGrabber.h"
#include "capture/X11Grabber.h"

#include <QGuiApplication>

std::unique_ptr<ScreenGrabber> ScreenGrabber::create() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb")) {
        if (auto x11 = X11Grabber::connect()) {
            return x11;
        }
    } else if (platform.startsWith(QLatin1String("wayland"))) {
        return std::make_unique<PortalGrabber>();
    }
    return std::make_unique<NullGrabber>();
}
