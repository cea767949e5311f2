#include "LhaWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "Crc16.h"
#include "LhEncoder.h"
#include "LhaHeader.h"
#include "TextEncoding.h"
#include "archiver/FileDescriptor.h"
#include "archiver/ReplaceByRename.h"

namespace lha {
namespace {

bool WriteAt(int fd, std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t put = pwrite(fd, p, left, static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        p += put;
        left -= static_cast<std::size_t>(put);
        offset += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool ReadAt(int fd, std::uint64_t offset, std::span<std::uint8_t> bytes) {
    std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t got = pread(fd, p, left, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        p += got;
        left -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

// Copies `size` bytes at `from` in one file to `to` in another.
bool CopyRange(int source, std::uint64_t from, int target, std::uint64_t to, std::uint64_t size) {
    std::vector<std::uint8_t> buffer(1 << 20);
    while (size > 0) {
        const std::size_t step =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
        const std::span chunk(buffer.data(), step);
        if (!ReadAt(source, from, chunk) || !WriteAt(target, to, chunk)) {
            return false;
        }
        from += step;
        to += step;
        size -= step;
    }
    return true;
}

struct SourceFile {
    std::vector<std::uint8_t> content;
    std::uint32_t modified = 0;
};

std::optional<SourceFile> ReadSource(const std::filesystem::path& file) {
    const FileDescriptor fd = FileDescriptor::open(file.c_str(), O_RDONLY);
    struct stat st {};
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    SourceFile source;
    source.modified = st.st_mtim.tv_sec < 0 ? 0
                      : static_cast<std::uint64_t>(st.st_mtim.tv_sec) > 0xFFFFFFFFu
                          ? 0xFFFFFFFFu
                          : static_cast<std::uint32_t>(st.st_mtim.tv_sec);
    source.content.resize(static_cast<std::size_t>(st.st_size));
    if (!ReadAt(fd.get(), 0, source.content)) {
        return std::nullopt;
    }
    // A file that grew while being read would have been cut short.
    std::uint8_t extra = 0;
    if (pread(fd.get(), &extra, 1, st.st_size) != 0) {
        return std::nullopt;
    }
    return source;
}

std::uint64_t MemberSize(const EncodedMember& member) {
    return member.header.size() + member.data.size();
}

bool WriteMember(int fd, std::uint64_t at, const EncodedMember& member) {
    return WriteAt(fd, at, member.header) && WriteAt(fd, at + member.header.size(), member.data);
}

constexpr std::uint8_t kEndMarker[1] = {0};

int CreateArchive(const std::filesystem::path& archive, const EncodedMember& member) {
    auto temporary = ReplaceByRename::PendingFile::beside(archive);
    if (!temporary.valid() || !WriteMember(temporary.fd(), 0, member) ||
        !WriteAt(temporary.fd(), MemberSize(member), kEndMarker)) {
        return 1;
    }
    return temporary.commit(archive.filename()) ? 0 : 1;
}

// Rewrites the archive without the members in `drop`, with `member` in the
// place of the first of them.
int ReplaceMember(const std::filesystem::path& archive, int fd, const ArchiveIndex& index,
                  const std::vector<std::size_t>& drop, const EncodedMember& member, mode_t mode) {
    auto temporary = ReplaceByRename::PendingFile::beside(archive);
    if (!temporary.valid() || fchmod(temporary.fd(), mode & 07777) != 0) {
        return 1;
    }
    std::uint64_t at = 0;
    std::size_t nextDrop = 0;
    for (std::size_t i = 0; i < index.entries.size(); ++i) {
        const ArchiveEntry& entry = index.entries[i];
        const bool dropped = nextDrop < drop.size() && drop[nextDrop] == i;
        if (dropped && nextDrop++ == 0) {
            if (!WriteMember(temporary.fd(), at, member)) {
                return 1;
            }
            at += MemberSize(member);
        } else if (!dropped) {
            if (!CopyRange(fd, entry.offset, temporary.fd(), at, entry.size)) {
                return 1;
            }
            at += entry.size;
        }
    }
    if (!WriteAt(temporary.fd(), at, kEndMarker)) {
        return 1;
    }
    return temporary.commit(archive.filename()) ? 0 : 1;
}

// Writes the member where the end marker was. On failure the old end is
// put back, so the archive is as it was.
int AppendMember(int fd, const ArchiveIndex& index, std::uint64_t fileSize,
                 const EncodedMember& member) {
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(fileSize - index.end));
    if (!ReadAt(fd, index.end, tail)) {
        return 1;
    }
    const std::uint64_t newEnd = index.end + MemberSize(member);
    if (WriteMember(fd, index.end, member) && WriteAt(fd, newEnd, kEndMarker) &&
        ftruncate(fd, static_cast<off_t>(newEnd + 1)) == 0 && fsync(fd) == 0) {
        return 0;
    }
    const bool restored =
        ftruncate(fd, static_cast<off_t>(fileSize)) == 0 && WriteAt(fd, index.end, tail);
    fsync(fd);
    return restored ? 1 : 2;
}

bool SameMember(const ArchiveEntry& entry, const std::string& storedName) {
    return entry.path == storedName ||
           TextEncoding::fromPackageText(entry.path) == TextEncoding::fromPackageText(storedName);
}

}  // namespace

const char* MethodId(Method method) {
    return method == Method::Lh0 ? "-lh0-" : TraitsOf(method).id;
}

EncodedMember EncodeMember(const std::string& storedName, std::span<const std::uint8_t> content,
                           std::uint32_t modified, const StoreOptions& options) {
    EncodedMember member;
    member.method = Method::Lh0;
    if (options.method != Method::Lh0 && (!content.empty() || !options.storeWhenNotSmaller)) {
        const std::size_t limit = options.storeWhenNotSmaller
                                      ? content.size() - 1
                                      : std::numeric_limits<std::size_t>::max();
        auto packed = CompressLh(content, options.method, limit, options.effort);
        if (packed) {
            member.data = std::move(*packed);
            member.method = options.method;
        }
    }
    if (member.method == Method::Lh0) {
        member.data.assign(content.begin(), content.end());
    }
    MemberHeader header;
    header.method = MethodId(member.method);
    header.compressedSize = static_cast<std::uint32_t>(member.data.size());
    header.originalSize = static_cast<std::uint32_t>(content.size());
    header.modified = modified;
    header.dataCrc = Crc16(content);
    header.name = storedName;
    member.header = MakeLevel2Header(header);
    return member;
}

int StoreFile(const std::filesystem::path& archive, const std::filesystem::path& file,
              Method method) {
    StoreOptions options;
    options.method = method;
    return StoreFile(archive, file, options);
}

int StoreFile(const std::filesystem::path& archive, const std::filesystem::path& file,
              const StoreOptions& options) {
    const std::string name = file.filename().string();
    if (name.empty() || name == "." || name == ".." || archive.filename().empty()) {
        return 1;
    }
    const std::string storedName = TextEncoding::toPackageText(name);
    if (storedName.size() > 0xFF00) {
        return 1;
    }
    const auto source = ReadSource(file);
    if (!source) {
        return 1;
    }
    const EncodedMember member =
        EncodeMember(storedName, source->content, source->modified, options);

    const FileDescriptor fd = FileDescriptor::open(archive.c_str(), O_RDWR);
    if (!fd.valid()) {
        return errno == ENOENT ? CreateArchive(archive, member) : 1;
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 1;
    }
    const auto index = IndexArchive(fd.get());
    if (!index) {
        return 1;
    }
    std::vector<std::size_t> same;
    for (std::size_t i = 0; i < index->entries.size(); ++i) {
        if (SameMember(index->entries[i], storedName)) {
            same.push_back(i);
        }
    }
    if (!same.empty()) {
        return ReplaceMember(archive, fd.get(), *index, same, member, st.st_mode);
    }
    return AppendMember(fd.get(), *index, static_cast<std::uint64_t>(st.st_size), member);
}

}  // namespace lha
