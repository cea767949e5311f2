#include "DesktopSession.h"

#include <cstdlib>
#include <cstring>

namespace DesktopSession {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

Kind current() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    if (isSet("WAYLAND_DISPLAY") || (type != nullptr && std::strcmp(type, "wayland") == 0)) {
        return Kind::Wayland;
    }
    if (isSet("DISPLAY")) {
        return Kind::X11;
    }
    return Kind::None;
}

}  // namespace DesktopSession
