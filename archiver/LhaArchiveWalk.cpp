#include "LhaArchiveWalk.h"

#include <lhasa.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace lha {
namespace {

std::uint32_t littleEndian(const std::uint8_t* bytes, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// The stored name and folder, read from the raw header rather than taken
// from liblhasa, which folds all-capital names to lower case, cuts CP932
// names at trail bytes 0x5C and quietly collapses "..": extraction decides
// itself what a name means and whether it is safe.
void readStoredPath(const LHAFileHeader& header, std::string& directory, std::string& name) {
    const std::uint8_t* raw = header.raw_data;
    const size_t length = header.raw_data_len;
    size_t offset = 0;
    int width = 2;
    switch (header.header_level) {
        case 0:
        case 1: {
            const size_t nameLength = length > 21 ? raw[21] : 0;
            if (22 + nameLength <= length) {
                name.assign(reinterpret_cast<const char*>(raw + 22), nameLength);
            }
            if (header.header_level == 0) {
                return;
            }
            offset = raw[0];  // the base header's last field, the first size
            break;
        }
        case 2:
            offset = 24;
            break;
        case 3:
            offset = 28;
            width = 4;
            break;
        default:
            return;
    }
    // Each extended header: its size (counting type, data and the next
    // size field), then the type byte and the data.
    while (offset + width <= length) {
        const size_t size = littleEndian(raw + offset, width);
        if (size < static_cast<size_t>(width) + 1 || offset + width + size > length) {
            break;
        }
        const std::uint8_t type = raw[offset + width];
        const char* data = reinterpret_cast<const char*>(raw + offset + width + 1);
        const size_t dataLength = size - width - 1;
        if (type == 0x01) {
            name.assign(data, dataLength);
        } else if (type == 0x02) {
            directory.assign(data, dataLength);
        }
        offset += size;
    }
}

// A method id such as "-lh5-" two bytes on: a header whose size was
// damaged to look like the end mark, with members still to come.
bool looksLikeHeader(const ByteSource& source, std::uint64_t offset) {
    char method[5];
    return source.readAt(offset + 2, method, sizeof method) && method[0] == '-' &&
           method[4] == '-' && method[1] == 'l';
}

}  // namespace

std::optional<FileSource> FileSource::open(const std::filesystem::path& path) {
    FileDescriptor fd = FileDescriptor::open(path.c_str(), O_RDONLY);
    struct stat info {};
    if (!fd.valid() || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileSource(std::move(fd), static_cast<std::uint64_t>(info.st_size));
}

bool FileSource::readAt(std::uint64_t offset, void* buf, size_t len) const {
    auto* out = static_cast<char*>(buf);
    while (len > 0) {
        const ssize_t n = pread(fd_.get(), out, len, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        out += n;
        offset += static_cast<std::uint64_t>(n);
        len -= static_cast<size_t>(n);
    }
    return true;
}

bool MemorySource::readAt(std::uint64_t offset, void* buf, size_t len) const {
    if (offset > bytes_.size() || len > bytes_.size() - offset) {
        return false;
    }
    std::memcpy(buf, bytes_.data() + offset, len);
    return true;
}

ArchiveWalk::ArchiveWalk(const ByteSource& source) : source_(source) {
    static const LHAInputStreamType type = {&ArchiveWalk::readStream, &ArchiveWalk::skipStream,
                                            nullptr};
    stream_ = lha_input_stream_new(&type, this);
    if (stream_ != nullptr) {
        reader_ = lha_reader_new(stream_);
    }
    if (reader_ != nullptr) {
        // Stored folders are never created, so no folder is ever revisited.
        lha_reader_set_dir_policy(reader_, LHA_READER_DIR_PLAIN);
    }
}

ArchiveWalk::~ArchiveWalk() {
    if (reader_ != nullptr) {
        lha_reader_free(reader_);
    }
    if (stream_ != nullptr) {
        lha_input_stream_free(stream_);
    }
}

int ArchiveWalk::readStream(void* self, void* buf, size_t len) {
    auto* walk = static_cast<ArchiveWalk*>(self);
    const std::uint64_t available = walk->source_.size() - walk->position_;
    const size_t n = static_cast<size_t>(std::min<std::uint64_t>({len, available, 1u << 30}));
    if (n > 0 && !walk->source_.readAt(walk->position_, buf, n)) {
        return -1;
    }
    walk->position_ += n;
    return static_cast<int>(n);
}

int ArchiveWalk::skipStream(void* self, size_t len) {
    auto* walk = static_cast<ArchiveWalk*>(self);
    if (len > walk->source_.size() - walk->position_) {
        return 0;
    }
    walk->position_ += len;
    return 1;
}

std::optional<WalkEntry> ArchiveWalk::next() {
    if (finished_ || reader_ == nullptr) {
        return std::nullopt;
    }
    const std::uint64_t size = source_.size();
    std::uint8_t first = 0;
    // The end is the end of the file or a zero byte where a header would
    // start; an archive without any member must be that one zero byte.
    if (nextHeader_ == size || (source_.readAt(nextHeader_, &first, 1) && first == 0)) {
        finished_ = true;
        damaged_ = (membersSeen_ == 0 && size != 1) || looksLikeHeader(source_, nextHeader_);
        return std::nullopt;
    }
    LHAFileHeader* header = lha_reader_next_file(reader_);
    const std::uint64_t headerLength = header != nullptr ? header->raw_data_len : 0;
    // liblhasa skips anything before the first header it recognises, so a
    // header found elsewhere than expected means a damaged one was passed.
    if (header == nullptr || position_ < headerLength || position_ - headerLength != nextHeader_ ||
        header->compressed_length > size - position_) {
        finished_ = true;
        damaged_ = true;
        return std::nullopt;
    }
    ++membersSeen_;
    WalkEntry entry;
    entry.header = header;
    entry.dataOffset = position_;
    entry.isFile = std::strcmp(header->compress_method, LHA_COMPRESS_TYPE_DIR) != 0;
    readStoredPath(*header, entry.storedDirectory, entry.storedName);
    nextHeader_ = position_ + header->compressed_length;
    return entry;
}

}  // namespace lha
