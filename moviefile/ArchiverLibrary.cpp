#include "ArchiverLibrary.h"

#include <dlfcn.h>

namespace {
std::unique_ptr<ArchiverLibrary> loaded;
}

ArchiverLibrary::~ArchiverLibrary() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

bool ArchiverLibrary::load(const std::string& path) {
    std::unique_ptr<ArchiverLibrary> library(new ArchiverLibrary());
    library->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library->handle_ == nullptr) {
        return false;
    }
    library->unlha_ = reinterpret_cast<UnlhaFunction>(dlsym(library->handle_, "Unlha"));
    library->setCursorMode_ =
        reinterpret_cast<CursorModeFunction>(dlsym(library->handle_, "UnlhaSetCursorMode"));
    if (library->unlha_ == nullptr || library->setCursorMode_ == nullptr) {
        return false;
    }
    library->path_ = path;
    loaded = std::move(library);
    return true;
}

ArchiverLibrary* ArchiverLibrary::instance() {
    return loaded.get();
}

void ArchiverLibrary::unloadForTests() {
    loaded.reset();
}

int ArchiverLibrary::unlha(const char* commandLine, char* output, unsigned long outputSize) const {
    return unlha_(nullptr, commandLine, output, outputSize);
}

int ArchiverLibrary::setCursorMode(int mode) const {
    return setCursorMode_(mode);
}
