#include "ProgramEnd.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ProgramEnd {
namespace {

std::vector<std::function<void()>> hooks;
std::function<void(int)> handler;
bool ended = false;
int code = 0;

}  // namespace

void addHook(std::function<void()> hook) {
    hooks.push_back(std::move(hook));
}

void endProgram(int exitCode) {
    if (!ended) {
        ended = true;
        code = exitCode;
        // Take the hooks out first: one of them may end the program again.
        auto toRun = std::move(hooks);
        hooks.clear();
        for (auto it = toRun.rbegin(); it != toRun.rend(); ++it) {
            (*it)();
        }
    }
    if (handler) {
        handler(exitCode);
        return;
    }
    std::fflush(nullptr);
    // Immediate, like the original's End: no window gets another event.
    std::_Exit(exitCode);
}

bool hasEnded() {
    return ended;
}

int exitCode() {
    return code;
}

void setHandler(std::function<void(int)> newHandler) {
    handler = std::move(newHandler);
}

void resetForTests() {
    ended = false;
    code = 0;
    hooks.clear();
}

}  // namespace ProgramEnd
