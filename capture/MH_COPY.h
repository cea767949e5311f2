// MH_COPY (hard copy): copies the whole screen or the active window into a picture.
#pragma once

#include "capture/ScreenGrabber.h"

#include <QImage>

#include <memory>

// Through the grabber that suits the desktop session.
namespace MH_COPY {

GrabResult HardCopyDesktop();

// The active window with its frame and title bar.
GrabResult HardCopyForeground();

// Put the copy into the box; a failed copy leaves the box empty (a null
// picture) and says why.
GrabFailure CopyDesktopToBox(QImage& box);
GrabFailure CopyForegroundToBox(QImage& box);

// The grabber in use, chosen for the session on first use.
ScreenGrabber& Grabber();

// Replaces the grabber chosen for the session (null: choose again).
void SetGrabber(std::unique_ptr<ScreenGrabber> grabber);

}  // namespace MH_COPY
