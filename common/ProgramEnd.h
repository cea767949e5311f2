#pragma once

#include <functional>

// Ending the program always passes through here: the sound is stopped and
// private folders are removed by the hooks, however the end was reached.
namespace ProgramEnd {

// Hooks run once, newest first, before the process goes.
void addHook(std::function<void()> hook);

// A hook for as long as this lives: work in progress (a package being
// written) tells the end what to clear away should the program end midway,
// by a signal included.
class ScopedHook {
public:
    explicit ScopedHook(std::function<void()> hook);
    ~ScopedHook();
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    unsigned long id_;
};

// Runs the hooks and ends the process at once, the way the player and the
// editor expect "end" to behave. With a test handler set, the handler is
// called instead of ending, and the caller returns normally.
void endProgram(int exitCode = 0);

bool hasEnded();
int exitCode();

// For tests: observe the end instead of dying. Passing nullptr restores
// the real end; resetForTests also forgets an earlier end and the hooks.
void setHandler(std::function<void(int)> handler);
void resetForTests();

}  // namespace ProgramEnd
