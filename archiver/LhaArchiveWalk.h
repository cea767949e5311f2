#pragma once

#include "archiver/FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

struct _LHAFileHeader;
struct _LHAInputStream;
struct _LHAReader;

namespace lha {

// The bytes of an archive, read at any offset.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills buf with len bytes from offset; false when they are not all there.
    virtual bool readAt(std::uint64_t offset, void* buf, size_t len) const = 0;
};

class FileSource final : public ByteSource {
public:
    // A regular file opened for reading, or nothing.
    static std::optional<FileSource> open(const std::filesystem::path& path);
    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, void* buf, size_t len) const override;

private:
    FileSource(FileDescriptor fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}
    FileDescriptor fd_;
    std::uint64_t size_;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, void* buf, size_t len) const override;

private:
    std::span<const std::uint8_t> bytes_;
};

struct WalkEntry {
    const _LHAFileHeader* header = nullptr;  // valid until the next step
    std::uint64_t dataOffset = 0;
    bool isFile = false;  // false for stored folders and links
    // The raw stored path, as the header holds it.
    std::string storedDirectory;
    std::string storedName;
};

// Steps through an archive's headers with liblhasa, checking what liblhasa
// cannot tell apart from a normal end: a truncated or damaged header, data
// that runs past the end, bytes skipped before the first header.
class ArchiveWalk {
public:
    explicit ArchiveWalk(const ByteSource& source);
    ~ArchiveWalk();
    ArchiveWalk(const ArchiveWalk&) = delete;
    ArchiveWalk& operator=(const ArchiveWalk&) = delete;

    bool isOpen() const { return reader_ != nullptr; }
    // The next member, or nothing at the end of the archive or on damage.
    std::optional<WalkEntry> next();
    bool damaged() const { return damaged_; }

private:
    static int readStream(void* self, void* buf, size_t len);
    static int skipStream(void* self, size_t len);

    const ByteSource& source_;
    std::uint64_t position_ = 0;
    std::uint64_t nextHeader_ = 0;
    int membersSeen_ = 0;
    bool finished_ = false;
    bool damaged_ = false;
    _LHAInputStream* stream_ = nullptr;
    _LHAReader* reader_ = nullptr;
};

}  // namespace lha
