#include "ReplaceByRename.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace ReplaceByRename {
namespace {

// Several threads reserve names at once (a save compresses on every core).
std::string uniqueName(const std::string& pattern) {
    thread_local std::mt19937_64 random(std::random_device{}() ^
                                        std::hash<std::thread::id>{}(std::this_thread::get_id()));
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = pattern;
    for (std::size_t i = name.size(); i > 0 && name[i - 1] == 'X'; --i) {
        name[i - 1] = kLetters[random() % (sizeof kLetters - 1)];
    }
    return name;
}

bool renameAt(int fromFolder, const char* from, int toFolder, const char* to, Existing existing) {
    if (existing == Existing::Replace) {
        return ::renameat(fromFolder, from, toFolder, to) == 0;
    }
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without that flag: a hard link fails on an existing name.
    if (::linkat(fromFolder, from, toFolder, to, 0) != 0) {
        return false;
    }
    ::unlinkat(fromFolder, from, 0);
    return true;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace

PendingFile::PendingFile(const std::filesystem::path& folder, const std::string& pattern)
    : ownFolder_(FileDescriptor::open(folder.c_str(), O_RDONLY | O_DIRECTORY)),
      folderPath_(folder) {
    if (ownFolder_.valid()) {
        folder_ = ownFolder_.get();
        create(pattern);
    }
}

PendingFile::PendingFile(int folderFd, const std::string& pattern) : folder_(folderFd) {
    create(pattern);
}

void PendingFile::create(const std::string& pattern) {
    for (int attempt = 0; attempt < 100 && !file_.valid(); ++attempt) {
        name_ = uniqueName(pattern);
        file_ = FileDescriptor::openAt(folder_, name_.c_str(),
                                       O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (!file_.valid() && errno != EEXIST) {
            break;
        }
    }
    if (!file_.valid()) {
        name_.clear();
    }
}

PendingFile PendingFile::beside(const std::filesystem::path& target) {
    return PendingFile(folderOf(target), "." + target.filename().string() + ".XXXXXX");
}

PendingFile::PendingFile(PendingFile&& other) noexcept
    : ownFolder_(std::move(other.ownFolder_)),
      folder_(std::exchange(other.folder_, -1)),
      folderPath_(std::move(other.folderPath_)),
      file_(std::move(other.file_)),
      name_(std::exchange(other.name_, {})) {}

PendingFile::~PendingFile() {
    discard();
}

std::filesystem::path PendingFile::path() const {
    return name_.empty() || folderPath_.empty() ? std::filesystem::path() : folderPath_ / name_;
}

bool PendingFile::keepModeOf(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) != 0) {
        return errno == ENOENT;
    }
    return ::fchmod(file_.get(), existing.st_mode & 07777) == 0;
}

bool PendingFile::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(file_.get(), bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool PendingFile::copyFrom(int source) {
    std::vector<char> buffer(1 << 20);
    while (true) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!write(buffer.data(), static_cast<std::size_t>(got))) {
            return false;
        }
    }
}

bool PendingFile::commit(const std::string& name, Existing existing, FolderSync sync) {
    if (!file_.valid() || ::fsync(file_.get()) != 0 || !file_.close() ||
        !renameAt(folder_, name_.c_str(), folder_, name.c_str(), existing)) {
        discard();
        return false;
    }
    name_.clear();
    // The rename lasts through a crash only once its folder is on disk too.
    if (sync == FolderSync::Now) {
        ::fsync(folder_);
    }
    return true;
}

void PendingFile::discard() {
    file_.reset();
    if (!name_.empty()) {
        ::unlinkat(folder_, name_.c_str(), 0);
        name_.clear();
    }
}

bool CopyFile(const std::filesystem::path& source, const std::filesystem::path& target,
              Existing existing) {
    const FileDescriptor in = FileDescriptor::open(source.c_str(), O_RDONLY);
    struct stat info {};
    if (!in.valid() || ::fstat(in.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    PendingFile copy = PendingFile::beside(target);
    return copy.valid() && ::fchmod(copy.fd(), info.st_mode & 07777) == 0 &&
           copy.copyFrom(in.get()) && copy.commit(target.filename().string(), existing);
}

bool MoveFile(const std::filesystem::path& from, const std::filesystem::path& to,
              Existing existing) {
    return renameAt(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), existing);
}

}  // namespace ReplaceByRename
