#include "LhaOutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace lha {
namespace {

std::string temporaryName(int attempt) {
    static std::atomic<unsigned> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    char name[64];
    std::snprintf(name, sizeof name, ".unlha-%d-%x-%x.tmp", static_cast<int>(getpid()),
                  counter.fetch_add(1) + static_cast<unsigned>(attempt),
                  static_cast<unsigned>(now));
    return name;
}

}  // namespace

OutputFile::OutputFile(int folderFd) : folderFd_(folderFd) {
    for (int attempt = 0; attempt < 100 && !fd_.valid(); ++attempt) {
        temporaryName_ = temporaryName(attempt);
        fd_ = FileDescriptor(openat(folderFd_, temporaryName_.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd_.valid() && errno != EEXIST) {
            break;
        }
    }
    if (!fd_.valid()) {
        temporaryName_.clear();
    }
}

OutputFile::~OutputFile() {
    if (!temporaryName_.empty()) {
        fd_.reset();
        unlinkat(folderFd_, temporaryName_.c_str(), 0);
    }
}

bool OutputFile::write(const void* data, size_t length) {
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd_.get(), bytes, length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        bytes += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

bool OutputFile::commit(const std::string& bareName, std::uint64_t modified) {
    if (!fd_.valid()) {
        return false;
    }
    if (modified != 0) {
        const struct timespec times[2] = {{0, UTIME_NOW}, {static_cast<time_t>(modified), 0}};
        futimens(fd_.get(), times);  // a time that cannot be set is no reason to fail
    }
    if (!fd_.close() ||
        renameat(folderFd_, temporaryName_.c_str(), folderFd_, bareName.c_str()) != 0) {
        return false;
    }
    temporaryName_.clear();
    return true;
}

}  // namespace lha
