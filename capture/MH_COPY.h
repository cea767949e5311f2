#pragma once

#include "capture/ScreenGrabber.h"

#include <QImage>

#include <memory>
#include <optional>

// Hard copies of the screen for the capture window, through the grabber
// that suits the display in use.
namespace MH_COPY {

std::optional<QImage> HardCopyDesktop();

// The active window with its frame and title bar.
std::optional<QImage> HardCopyForeground();

// Put the copy into the box; a failed copy leaves the box empty (a null
// picture), which the following save reports.
void CopyDesktopToBox(QImage& box);
void CopyForegroundToBox(QImage& box);

// Replaces the grabber chosen for this display (null: choose again).
void SetGrabber(std::unique_ptr<ScreenGrabber> grabber);

}  // namespace MH_COPY
