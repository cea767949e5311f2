// Extracts every member of an arbitrary archive into a scratch folder:
// whatever the bytes, no crash, no leak, no file outside that folder.

#include "archiver/LhaReader.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ScratchFolder {
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/fuzz-extract.XXXXXX";
        path = mkdtemp(pattern.data());
        target = path / "out";
        fs::create_directory(target);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
    fs::path target;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const ScratchFolder scratch;
    lha::ExtractFilesFromMemory({data, size}, scratch.target, "*");
    for (const auto& entry : fs::directory_iterator(scratch.path)) {
        FuzzCheck(entry.path() == scratch.target);  // nothing escaped the target folder
    }
    for (const auto& entry : fs::directory_iterator(scratch.target)) {
        fs::remove_all(entry.path());
    }
    return 0;
}
