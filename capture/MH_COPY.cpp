#include "MH_COPY.h"

namespace {

std::unique_ptr<ScreenGrabber>& Grabber() {
    static std::unique_ptr<ScreenGrabber> grabber;
    if (!grabber) {
        grabber = ScreenGrabber::create();
    }
    return grabber;
}

}  // namespace

namespace MH_COPY {

std::optional<QImage> HardCopyDesktop() {
    return Grabber()->grabScreen();
}

std::optional<QImage> HardCopyForeground() {
    return Grabber()->grabActiveWindow();
}

void CopyDesktopToBox(QImage& box) {
    box = HardCopyDesktop().value_or(QImage());
}

void CopyForegroundToBox(QImage& box) {
    box = HardCopyForeground().value_or(QImage());
}

void SetGrabber(std::unique_ptr<ScreenGrabber> grabber) {
    Grabber() = std::move(grabber);
}

}  // namespace MH_COPY
