// MWin_Close (window close): takes the close button off a window's title bar.
#pragma once

class QWidget;

namespace MWin_Close {

// Takes the close button off a top-level window's title bar. The window must
// still refuse its close request itself: some window managers offer Close
// from their own menus whatever the hints say.
void RemoveCloseCommand(QWidget* window);

}  // namespace MWin_Close
