#pragma once

// Helpers for the LHA writer's tests: temporary folders, files, and running
// the peer archivers (lha, 7zz, jlha) to read what we wrote.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace writer_test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A fresh folder under TMPDIR, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "lha-writer-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code error;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

inline Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

struct ToolResult {
    int status = -1;     // exit status, -1 when it did not run or was killed
    std::string output;  // standard output and error together
};

// Runs a program (found on PATH) in `folder` and collects what it prints.
inline ToolResult RunTool(const std::vector<std::string>& argv, const fs::path& folder,
                          const std::vector<std::string>& environment = {}) {
    ToolResult result;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        if (chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        for (const auto& entry : environment) {
            putenv(const_cast<char*>(entry.c_str()));
        }
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        result.output.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    return result;
}

// jlha decodes member names with the encoding in this Java property; a
// Japanese system uses MS932.
inline const std::vector<std::string> kJlhaCp932 = {"JAVA_TOOL_OPTIONS=-Dlha.encoding=MS932"};

// What lhasa prints for a stored name: it takes each byte as Latin-1.
inline std::string AsLatin1(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace writer_test
