#pragma once

#include <memory>
#include <string>

// The archiver library, loaded once at start-up with dlopen so that a
// missing library is a message rather than a loader failure.
class ArchiverLibrary {
public:
    ~ArchiverLibrary();
    ArchiverLibrary(const ArchiverLibrary&) = delete;
    ArchiverLibrary& operator=(const ArchiverLibrary&) = delete;

    // Loads the library at path and makes it the process's archiver.
    // False when it cannot be loaded or lacks the two entry points.
    static bool load(const std::string& path);
    // The loaded archiver, or nullptr before a successful load.
    static ArchiverLibrary* instance();
    static void unloadForTests();

    int unlha(const char* commandLine, char* output, unsigned long outputSize) const;
    int setCursorMode(int mode) const;
    const std::string& path() const { return path_; }

private:
    using UnlhaFunction = int (*)(const void*, const char*, char*, unsigned long);
    using CursorModeFunction = int (*)(int);

    ArchiverLibrary() = default;

    void* handle_ = nullptr;
    UnlhaFunction unlha_ = nullptr;
    CursorModeFunction setCursorMode_ = nullptr;
    std::string path_;
};
