#pragma once

// Helpers shared by the archiver's reading tests: scratch folders, files,
// running the real peer tools, hand-made level-2 headers and the archiver
// library loaded the way the program loads it.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace lhatest {

namespace fs = std::filesystem;
using Bytes = std::string;

inline Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every regular file in a folder (not below it), by name.
inline std::map<std::string, Bytes> folderContents(const fs::path& folder) {
    std::map<std::string, Bytes> result;
    for (const auto& entry : fs::directory_iterator(folder)) {
        result[entry.path().filename().string()] =
            entry.is_regular_file() ? readFile(entry.path()) : Bytes("<not a file>");
    }
    return result;
}

inline Bytes randomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    Bytes bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

// Numbered lines: compresses well, as a picture of a real screen does.
inline Bytes textBytes(int lines) {
    Bytes text;
    for (int i = 1; i <= lines; ++i) {
        text += "line " + std::to_string(i) + " of the movie script\r\n";
    }
    return text;
}

// A random block repeated at distances beyond -lh5-'s 8 KiB window, so
// -lh7- has far matches to find.
inline Bytes farRepeats() {
    const Bytes block = randomBytes(20000, 7);
    Bytes result;
    for (int i = 0; i < 5; ++i) {
        result += block;
    }
    return result;
}

// A throw-away folder under TMPDIR, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/lha-test.XXXXXX";
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline std::string shellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs jlha in a folder so members get the names given; false on failure.
inline bool runJlha(const fs::path& folder, const std::string& switches, const fs::path& archive,
                    const std::vector<std::string>& names) {
    std::string command = "cd " + shellQuote(folder.string()) + " && LC_ALL=C.UTF-8 jlha " +
                          switches + " " + shellQuote(archive.string());
    for (const std::string& name : names) {
        command += " " + shellQuote(name);
    }
    command += " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 && fs::exists(archive);
}

inline std::uint16_t crc16(const Bytes& bytes, std::uint16_t crc = 0) {
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

inline void putLittleEndian(Bytes& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// One stored (-lh0-) member with a level-2 header written byte by byte,
// so a test controls every field, including ones no tool would write.
struct HandMember {
    Bytes name;
    Bytes directory;  // the 0x02 extended header, 0xFF between folders
    Bytes data;
    bool badHeaderCrc = false;
    bool badDataCrc = false;
    // The unpacked size the header claims, when not the data's own.
    std::uint32_t declaredLength = 0;
};

inline Bytes level2Member(const HandMember& member) {
    Bytes extended;
    auto addExtended = [&](std::uint8_t type, const Bytes& body) {
        putLittleEndian(extended, static_cast<std::uint32_t>(body.size() + 3), 2);
        extended += static_cast<char>(type);
        extended += body;
    };
    addExtended(0x00, Bytes(2, '\0'));  // header CRC, filled in below
    addExtended(0x01, member.name);
    if (!member.directory.empty()) {
        addExtended(0x02, member.directory);
    }
    putLittleEndian(extended, 0, 2);
    Bytes header;
    size_t size = 24 + extended.size();
    if ((size & 0xFF) == 0) {  // a size ending in 0x00 would read as the end mark
        ++size;
    }
    putLittleEndian(header, static_cast<std::uint32_t>(size), 2);
    header += "-lh0-";
    putLittleEndian(header, static_cast<std::uint32_t>(member.data.size()), 4);
    putLittleEndian(header,
                    member.declaredLength != 0 ? member.declaredLength
                                               : static_cast<std::uint32_t>(member.data.size()),
                    4);
    putLittleEndian(header, 1700000000, 4);
    header += '\x20';
    header += '\x02';
    putLittleEndian(header, crc16(member.data) ^ (member.badDataCrc ? 0x0100 : 0), 2);
    header += 'M';
    header += extended;
    header.resize(size, '\0');
    const std::uint16_t headerCrc = crc16(header) ^ (member.badHeaderCrc ? 0x0001 : 0);
    header[27] = static_cast<char>(headerCrc & 0xFF);
    header[28] = static_cast<char>(headerCrc >> 8);
    return header + member.data;
}

inline Bytes handArchive(const std::vector<HandMember>& members) {
    Bytes archive;
    for (const HandMember& member : members) {
        archive += level2Member(member);
    }
    return archive + '\0';
}

// libunlha32.so from the build, opened with dlopen as the program does.
class ArchiverLibrary {
public:
    ArchiverLibrary() {
        handle_ = dlopen(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so", RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) {
            unlha_ = reinterpret_cast<UnlhaFunction>(dlsym(handle_, "Unlha"));
            cursorMode_ =
                reinterpret_cast<CursorModeFunction>(dlsym(handle_, "UnlhaSetCursorMode"));
        }
    }
    ~ArchiverLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
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

}  // namespace lhatest
