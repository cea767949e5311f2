#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <utility>

// An owned POSIX file descriptor, closed when it goes out of scope: the one
// handle every layer uses for files, folders and pipes opened by hand.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // Opens `path` (close-on-exec added); invalid() tells a failure, errno why.
    static FileDescriptor open(const char* path, int flags, mode_t mode = 0) {
        return FileDescriptor(::open(path, flags | O_CLOEXEC, mode));
    }
    static FileDescriptor openAt(int folder, const char* name, int flags, mode_t mode = 0) {
        return FileDescriptor(::openat(folder, name, flags | O_CLOEXEC, mode));
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now, reporting whether the close (and so a last delayed write)
    // succeeded.
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    void reset(int fd = -1) {
        close();
        fd_ = fd;
    }
    // Hands the descriptor to a new owner, which closes it.
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_ = -1;
};
