#pragma once

class QWidget;

namespace DialogOwner {

// The window a dialog is to centre on: its owner once that is on screen,
// else none, so that the dialog centres on the screen. A window not shown
// yet (the player while it loads) has no place of its own, and a dialog
// centred on it lands in the screen's top-left corner.
QWidget* onScreen(QWidget* owner);

}  // namespace DialogOwner
