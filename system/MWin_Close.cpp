#include "system/MWin_Close.h"

#include <QWidget>

namespace MWin_Close {

void RemoveCloseCommand(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    Qt::WindowFlags flags = window->windowFlags();
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags &= ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint);
    window->setWindowFlags(flags);
}

}  // namespace MWin_Close
