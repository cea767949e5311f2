#include "MFRM_FRONT.h"

#include <QWidget>

namespace MFRM_FRONT {

void SetWindowTopmost(QWidget* form, bool release) {
    if (form == nullptr) {
        return;
    }
    const bool topmost = !release;
    Qt::WindowFlags flags = form->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    flags.setFlag(Qt::WindowDoesNotAcceptFocus, topmost);
    form->setAttribute(Qt::WA_ShowWithoutActivating, topmost);
    if (flags == form->windowFlags()) {
        return;
    }
    // Changing the flags re-creates the native window hidden; put it back
    // where it was, and show it again without activating it.
    const bool wasVisible = form->isVisible();
    const QPoint position = form->pos();
    const QSize size = form->size();
    form->setWindowFlags(flags);
    form->move(position);
    form->resize(size);
    if (wasVisible) {
        form->show();
    }
}

}  // namespace MFRM_FRONT
