#include "MH_COPY.h"

namespace MH_COPY {
namespace {

std::unique_ptr<ScreenGrabber>& Chosen() {
    static std::unique_ptr<ScreenGrabber> grabber;
    return grabber;
}

GrabFailure IntoBox(GrabResult result, QImage& box) {
    if (result.ok()) {
        box = std::move(result.picture);
        return GrabFailure::None;
    }
    box = QImage();
    return result.failure == GrabFailure::None ? GrabFailure::NoScreen : result.failure;
}

}  // namespace

ScreenGrabber& Grabber() {
    std::unique_ptr<ScreenGrabber>& grabber = Chosen();
    if (!grabber) {
        grabber = ScreenGrabber::create();
    }
    return *grabber;
}

GrabResult HardCopyDesktop() {
    return Grabber().grabScreen();
}

GrabResult HardCopyForeground() {
    return Grabber().grabActiveWindow();
}

GrabFailure CopyDesktopToBox(QImage& box) {
    return IntoBox(HardCopyDesktop(), box);
}

GrabFailure CopyForegroundToBox(QImage& box) {
    return IntoBox(HardCopyForeground(), box);
}

void SetGrabber(std::unique_ptr<ScreenGrabber> grabber) {
    Chosen() = std::move(grabber);
}

}  // namespace MH_COPY
