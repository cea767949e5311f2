#pragma once

// What the archiver's tests share: scratch folders and files, the peer
// archivers run by their own names (lhasa, jlha, 7zz; on Debian "lha" is
// whichever of lhasa and jlha the alternatives chose), the archiver library
// loaded the way the program loads it, and archives whose headers claim
// sizes no tool writes, for the cases no golden file can hold.

#include "archiver/Crc16.h"
#include "archiver/LhaHeader.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace lhatest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline Bytes text(std::string_view characters) {
    return Bytes(characters.begin(), characters.end());
}

inline Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Every entry directly in a folder, by name; a folder reads as "<folder>".
inline std::map<std::string, Bytes> folderContents(const fs::path& folder) {
    std::map<std::string, Bytes> result;
    for (const auto& entry : fs::directory_iterator(folder)) {
        result[entry.path().filename().string()] =
            entry.is_regular_file() ? readFile(entry.path()) : text("<folder>");
    }
    return result;
}

inline Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

// Numbered lines: compresses well, as a picture of a real screen does.
inline Bytes textBytes(int lines) {
    std::string all;
    for (int i = 1; i <= lines; ++i) {
        all += "line " + std::to_string(i) + " of the movie script\r\n";
    }
    return text(all);
}

// A random block repeated at distances beyond -lh5-'s 8 KiB window, so
// -lh7- has far matches to find.
inline Bytes farRepeats() {
    const Bytes block = randomBytes(20000, 7);
    Bytes result;
    for (int i = 0; i < 5; ++i) {
        result.insert(result.end(), block.begin(), block.end());
    }
    return result;
}

// A fresh folder under TMPDIR or `base`, removed with everything in it.
class TempFolder {
public:
    explicit TempFolder(const fs::path& base = fs::temp_directory_path()) {
        std::string pattern = (base / "lha-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline std::string shellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

struct ToolResult {
    int status = -1;     // the exit status; -1 when it did not run or was killed
    std::string output;  // standard output and error together
};

// Runs a program in `folder` with `environment` added, and collects what
// it prints.
inline ToolResult runTool(const std::vector<std::string>& argv, const fs::path& folder,
                          const std::vector<std::string>& environment = {}) {
    std::string command = "cd " + shellQuote(folder.string()) + " && exec env";
    for (const std::string& word : environment) {
        command += " " + shellQuote(word);
    }
    for (const std::string& word : argv) {
        command += " " + shellQuote(word);
    }
    command += " </dev/null 2>&1";
    ToolResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        result.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    if (WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

// jlha decodes member names with the encoding in this Java property; a
// Japanese system uses MS932.
inline const std::vector<std::string> kJlhaCp932 = {"JAVA_TOOL_OPTIONS=-Dlha.encoding=MS932"};

// jlha packs files of `folder` under the names given; false on failure.
inline bool runJlha(const fs::path& folder, const std::string& switches, const fs::path& archive,
                    const std::vector<std::string>& names) {
    std::vector<std::string> argv{"jlha", switches, archive.string()};
    argv.insert(argv.end(), names.begin(), names.end());
    return runTool(argv, folder, {"LC_ALL=C.UTF-8"}).status == 0 && fs::exists(archive);
}

// Writes `files` into <scratch>/src and packs them all with jlha.
inline bool packWithJlha(const TempFolder& scratch, const std::string& switches,
                         const fs::path& archive, const std::map<std::string, Bytes>& files) {
    fs::create_directories(scratch / "src");
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        writeFile(scratch / "src" / name, bytes);
        names.push_back(name);
    }
    return runJlha(scratch / "src", switches, archive, names);
}

// An archive of stored (-lh0-) members whose headers may claim another
// unpacked size than their data's: what no tool writes.
struct HandMember {
    std::string name;
    std::string data;
    std::uint32_t declaredLength = 0;  // 0: the data's own
};

inline Bytes handArchive(const std::vector<HandMember>& members) {
    Bytes archive;
    for (const HandMember& member : members) {
        const Bytes data = text(member.data);
        lha::MemberHeader header;
        header.method = "-lh0-";
        header.compressedSize = static_cast<std::uint32_t>(data.size());
        header.originalSize =
            member.declaredLength != 0 ? member.declaredLength : header.compressedSize;
        header.modified = 1700000000;
        header.dataCrc = lha::Crc16(data);
        header.name = member.name;
        const Bytes bytes = lha::MakeLevel2Header(header);
        archive.insert(archive.end(), bytes.begin(), bytes.end());
        archive.insert(archive.end(), data.begin(), data.end());
    }
    archive.push_back(0);
    return archive;
}

// libunlha32.so from the build, opened with dlopen as the program does.
class ArchiverLibrary {
public:
    ArchiverLibrary() {
        handle_ = ::dlopen(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so", RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            unlha_ = reinterpret_cast<UnlhaFunction>(::dlsym(handle_, "Unlha"));
            cursorMode_ =
                reinterpret_cast<CursorModeFunction>(::dlsym(handle_, "UnlhaSetCursorMode"));
        }
    }
    ~ArchiverLibrary() {
        if (handle_ != nullptr) {
            ::dlclose(handle_);
        }
    }
    ArchiverLibrary(const ArchiverLibrary&) = delete;
    ArchiverLibrary& operator=(const ArchiverLibrary&) = delete;

    bool loaded() const { return unlha_ != nullptr && cursorMode_ != nullptr; }

    // Runs a command line as the program does: cursor mode off, 10 bytes out.
    int run(const std::string& commandLine) const {
        char output[10];
        cursorMode_(0);
        return unlha_(nullptr, commandLine.c_str(), output, sizeof output);
    }
    int run(const std::string& commandLine, char* output, unsigned long size) const {
        return unlha_(nullptr, commandLine.c_str(), output, size);
    }

private:
    using UnlhaFunction = int (*)(const void*, const char*, char*, unsigned long);
    using CursorModeFunction = int (*)(int);
    void* handle_ = nullptr;
    UnlhaFunction unlha_ = nullptr;
    CursorModeFunction cursorMode_ = nullptr;
};

inline std::string extractLine(const fs::path& archive, const fs::path& folder,
                               const std::string& pattern) {
    return "e \"" + archive.string() + "\" \"" + folder.string() + "/\" " + pattern + " -n";
}

// A scratch folder holding an empty "out", and the archiver library loaded.
class ArchiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.loaded());
        emptyOut();
    }

    void emptyOut() const {
        fs::remove_all(out);
        fs::create_directories(out);
    }

    // The archiver's extract command line, run into `out`.
    int extract(const fs::path& archive, const std::string& pattern) const {
        return library.run(extractLine(archive, out, pattern));
    }

    ArchiverLibrary library;
    TempFolder scratch;
    fs::path out = scratch / "out";
};

}  // namespace lhatest
