#include "DialogOwner.h"

#include <QWidget>

namespace DialogOwner {

QWidget* onScreen(QWidget* owner) {
    if (owner == nullptr || !owner->window()->isVisible()) {
        return nullptr;
    }
    return owner;
}

}  // namespace DialogOwner
