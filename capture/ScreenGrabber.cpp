#include "ScreenGrabber.h"

#include "capture/PortalGrabber.h"
#include "capture/X11Grabber.h"
#include "common/DesktopSession.h"

std::unique_ptr<ScreenGrabber> ScreenGrabber::create() {
    switch (DesktopSession::current()) {
        case DesktopSession::Kind::Wayland:
            return std::make_unique<PortalGrabber>();
        case DesktopSession::Kind::X11:
            if (auto x11 = X11Grabber::connect()) {
                return x11;
            }
            break;
        case DesktopSession::Kind::None:
            break;
    }
    return std::make_unique<NullGrabber>();
}
