// Stores a member into an arbitrary file taken for an archive: whatever the
// bytes, no crash or leak, and either the store succeeds and every earlier
// member is still there, or the file is left exactly as it was.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archiver/FileDescriptor.h"
#include "archiver/LhaHeader.h"
#include "archiver/LhaWriter.h"
#include "fuzz/FuzzCheck.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::optional<lha::ArchiveIndex> Index(const fs::path& path) {
    return lha::IndexArchive(FileDescriptor::open(path.c_str(), O_RDONLY).get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/fuzz-store.XXXXXX";
    const fs::path folder = mkdtemp(pattern.data());
    const fs::path archive = folder / "a.sdw";
    const fs::path member = folder / "frame.bmp";
    {
        std::ofstream(archive, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        // The member is the input too: names in it may match, and its bytes
        // exercise the encoder.
        std::ofstream(member, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto before = Index(archive);
    const std::vector<std::uint8_t> bytes(data, data + size);
    if (lha::StoreFile(archive, member) != 0) {
        FuzzCheck(ReadAll(archive) == bytes);  // a failed store leaves the archive as it was
    } else {
        const auto after = Index(archive);
        FuzzCheck(before && after && !after->entries.empty() &&
                  after->entries.size() <= before->entries.size() + 1);
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
