#include "PlatformChoice.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace PlatformChoice {
namespace {

bool XServerAnswers() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return false;
    }
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool answers = connection != nullptr && xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

struct Outputs {
    int largestScale = 1;
    std::vector<wl_output*> bound;
};

void OnGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                const char*, int32_t) {}
void OnMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
void OnDone(void*, wl_output*) {}
void OnScale(void* data, wl_output*, int32_t factor) {
    auto* outputs = static_cast<Outputs*>(data);
    outputs->largestScale = std::max(outputs->largestScale, static_cast<int>(factor));
}
void OnName(void*, wl_output*, const char*) {}
void OnDescription(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {OnGeometry, OnMode, OnDone,
                                            OnScale,    OnName, OnDescription};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    // Version 2 is the first that tells the scale.
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2) {
        return;
    }
    auto* outputs = static_cast<Outputs*>(data);
    auto* output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &kOutputListener, outputs);
    outputs->bound.push_back(output);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// 1 when no compositor answers: nothing is scaled that we know of.
int LargestOutputScale() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return 1;
    }
    Outputs outputs;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &outputs);
    // The first round trip lists the outputs, the second brings their scales.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    for (wl_output* output : outputs.bound) {
        wl_output_destroy(output);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return outputs.largestScale;
}

}  // namespace

Plugin Decide(const Facts& facts) {
    if (facts.userChose || facts.session != DesktopSession::Kind::Wayland ||
        !facts.xwaylandReachable || facts.largestScale > 1) {
        return Plugin::LeftToQt;
    }
    return Plugin::Xcb;
}

Facts Probe() {
    Facts facts;
    facts.session = DesktopSession::current();
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    facts.userChose = chosen != nullptr && *chosen != '\0';
    if (facts.session == DesktopSession::Kind::Wayland && !facts.userChose) {
        facts.xwaylandReachable = XServerAnswers();
        if (facts.xwaylandReachable) {
            facts.largestScale = LargestOutputScale();
        }
    }
    return facts;
}

std::vector<char*> Arguments(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    // A -platform on the command line is the user's choice too.
    const bool onCommandLine = std::any_of(arguments.begin(), arguments.end(), [](char* argument) {
        return std::strcmp(argument, "-platform") == 0 || std::strcmp(argument, "--platform") == 0;
    });
    if (!onCommandLine && Decide(Probe()) == Plugin::Xcb) {
        static char option[] = "-platform";
        static char plugin[] = "xcb";
        arguments.insert(arguments.begin() + std::min(argc, 1), {option, plugin});
    }
    arguments.push_back(nullptr);
    return arguments;
}

}  // namespace PlatformChoice
