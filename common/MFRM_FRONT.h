// MFRM_FRONT (form to the front): keeps a window above all others without taking the focus.
#pragma once

class QWidget;

namespace MFRM_FRONT {

// Keeps the form above every other window without ever taking the focus
// from the window the user is working in, or (release) makes it an
// ordinary window again. The form keeps its place and size, and stays shown
// when it was shown. A native Wayland window can neither stay above others
// nor be shown without the focus; there the form stays an ordinary window,
// which at least takes the keyboard when clicked.
void SetWindowTopmost(QWidget* form, bool release);

}  // namespace MFRM_FRONT
