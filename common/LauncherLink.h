#pragma once

#include <functional>

// The player and the editor close the launcher once they are up, without
// knowing the launcher's class: the launcher registers how to close itself.
namespace LauncherLink {

void setUnloader(std::function<void()> unloader);
// Closes the launcher when one is registered; harmless otherwise.
void unloadLauncher();

}  // namespace LauncherLink
