#include "MFRM_FRONT.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace MFRM_FRONT {

void SetWindowTopmost(QWidget* form, bool release) {
    if (form == nullptr) {
        return;
    }
    const bool topmost =
        !release && !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    Qt::WindowFlags flags = form->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    flags.setFlag(Qt::WindowDoesNotAcceptFocus, topmost);
    form->setAttribute(Qt::WA_ShowWithoutActivating, topmost);
    if (flags == form->windowFlags()) {
        return;
    }
    if (QWindow* window = form->windowHandle()) {
        // QWidget::setWindowFlags would re-create the native window, hidden
        // and possibly elsewhere; the window system can change the hints of
        // the window as it stands.
        form->overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        form->setWindowFlags(flags);
    }
}

}  // namespace MFRM_FRONT
