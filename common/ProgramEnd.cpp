#include "ProgramEnd.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ProgramEnd {
namespace {

struct Hook {
    unsigned long id;
    std::function<void()> run;
};

std::vector<Hook> hooks;
unsigned long lastId = 0;
std::function<void(int)> handler;
bool ended = false;
int code = 0;

unsigned long add(std::function<void()> hook) {
    hooks.push_back({++lastId, std::move(hook)});
    return lastId;
}

}  // namespace

void addHook(std::function<void()> hook) {
    add(std::move(hook));
}

ScopedHook::ScopedHook(std::function<void()> hook) : id_(add(std::move(hook))) {}

ScopedHook::~ScopedHook() {
    std::erase_if(hooks, [this](const Hook& hook) { return hook.id == id_; });
}

void endProgram(int exitCode) {
    if (!ended) {
        ended = true;
        code = exitCode;
        // Take the hooks out first: one of them may end the program again.
        auto toRun = std::move(hooks);
        hooks.clear();
        for (auto it = toRun.rbegin(); it != toRun.rend(); ++it) {
            it->run();
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
