#include "MDllChk.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace MDllChk {
namespace {

fs::path executableFolder() {
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

bool isRegularFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// The linker's own search (LD_LIBRARY_PATH, run paths, ld.so.cache): ask it
// to load the name and report where it found it.
std::string findOnLinkerPath(const std::string& fileName) {
    void* handle = dlopen(fileName.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr) {
        return {};
    }
    std::string found;
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr) {
        found = map->l_name;
    }
    dlclose(handle);
    return found;
}

}  // namespace

std::string FindLibrary(const std::string& fileName) {
    if (fileName.empty() || fileName.find('/') != std::string::npos) {
        return {};
    }
    const fs::path folder = executableFolder();
    if (!folder.empty()) {
        for (const fs::path& candidate :
             {folder / fileName, folder / ".." / "lib" / "slidewright" / fileName}) {
            if (isRegularFile(candidate)) {
                return candidate.lexically_normal().string();
            }
        }
    }
    return findOnLinkerPath(fileName);
}

bool DllOnSearchPath(const std::string& fileName) {
    return !FindLibrary(fileName).empty();
}

}  // namespace MDllChk
