#include "LauncherLink.h"

namespace LauncherLink {
namespace {
std::function<void()> current;
}

void setUnloader(std::function<void()> unloader) {
    current = std::move(unloader);
}

void unloadLauncher() {
    // Taken out first: unloading destroys the launcher, which clears it.
    auto unloader = std::move(current);
    current = nullptr;
    if (unloader) {
        unloader();
    }
}

}  // namespace LauncherLink
