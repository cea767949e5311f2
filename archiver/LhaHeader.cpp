#include "LhaHeader.h"

#include <unistd.h>

#include <cerrno>

#include "Crc16.h"

namespace lha {
namespace {

constexpr std::uint8_t kExtCommon = 0x00;
constexpr std::uint8_t kExtFileName = 0x01;
constexpr std::uint8_t kExtFolder = 0x02;
constexpr std::uint8_t kExtUnixTime = 0x54;
constexpr std::size_t kLevel2BaseSize = 24;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

std::uint32_t Get16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

std::uint32_t Get32(const std::uint8_t* p) {
    return Get16(p) | (Get16(p + 2) << 16);
}

// Reads exactly `size` bytes at `offset`; false at the file's end or on error.
bool ReadAt(int fd, std::uint64_t offset, std::uint8_t* buffer, std::size_t size) {
    while (size > 0) {
        const ssize_t got = pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        buffer += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

// Walks extension headers (16- or 32-bit size fields) in `header` from
// `at`, taking the name, the folder and the place of the header CRC.
bool ReadExtensions(const std::vector<std::uint8_t>& header, std::size_t at, int sizeField,
                    ArchiveEntry& entry, std::optional<std::size_t>& crcAt) {
    std::string name;
    std::string folder;
    bool haveName = false;
    while (true) {
        if (at + sizeField > header.size()) {
            return false;
        }
        const std::size_t size = sizeField == 2 ? Get16(&header[at]) : Get32(&header[at]);
        if (size == 0) {
            break;
        }
        if (size < static_cast<std::size_t>(sizeField) + 1 || at + size > header.size()) {
            return false;
        }
        const std::uint8_t type = header[at + sizeField];
        const auto* data = reinterpret_cast<const char*>(&header[at + sizeField + 1]);
        const std::size_t dataSize = size - sizeField - 1;
        if (type == kExtCommon && dataSize >= 2) {
            crcAt = at + sizeField + 1;
        } else if (type == kExtFileName) {
            name.assign(data, dataSize);
            haveName = true;
        } else if (type == kExtFolder) {
            folder.assign(data, dataSize);
        }
        at += size;
    }
    if (haveName) {
        entry.path = name;
    }
    if (!folder.empty()) {
        for (auto& c : folder) {
            if (c == '\xFF') {
                c = '/';
            }
        }
        if (folder.back() != '/') {
            folder += '/';
        }
        entry.path = folder + entry.path;
    }
    return true;
}

bool CrcMatches(std::vector<std::uint8_t> header, std::size_t crcAt) {
    const std::uint32_t stored = Get16(&header[crcAt]);
    header[crcAt] = 0;
    header[crcAt + 1] = 0;
    return Crc16(header) == stored;
}

// Reads the member whose header starts at `offset`.
std::optional<ArchiveEntry> ReadEntry(int fd, std::uint64_t offset, std::uint64_t fileSize) {
    std::vector<std::uint8_t> header(kLevel2BaseSize);
    if (!ReadAt(fd, offset, header.data(), 22)) {
        return std::nullopt;
    }
    if (header[2] != '-' || header[6] != '-') {
        return std::nullopt;
    }
    ArchiveEntry entry;
    entry.offset = offset;
    entry.level = header[20];
    std::uint64_t compressed = Get32(&header[7]);
    std::optional<std::size_t> crcAt;
    std::uint64_t headerSize = 0;
    if (entry.level == 0 || entry.level == 1) {
        headerSize = std::uint64_t{header[0]} + 2;
        const std::size_t nameSize = header[21];
        if (headerSize < 22 + nameSize + 2) {
            return std::nullopt;
        }
        header.resize(headerSize);
        if (!ReadAt(fd, offset, header.data(), headerSize)) {
            return std::nullopt;
        }
        std::uint8_t sum = 0;
        for (std::size_t i = 2; i < headerSize; ++i) {
            sum = static_cast<std::uint8_t>(sum + header[i]);
        }
        if (sum != header[1]) {
            return std::nullopt;
        }
        entry.path.assign(reinterpret_cast<const char*>(&header[22]), nameSize);
        if (entry.level == 1) {
            // Level 1 extensions follow the base header and count as data.
            std::vector<std::uint8_t> extensions(header.end() - 2, header.end());
            std::uint64_t at = offset + headerSize;
            std::size_t next = Get16(&header[headerSize - 2]);
            while (next != 0) {
                if (next < 3 || next > compressed) {
                    return std::nullopt;
                }
                const std::size_t start = extensions.size();
                extensions.resize(start + next);
                if (!ReadAt(fd, at, &extensions[start], next)) {
                    return std::nullopt;
                }
                at += next;
                next = Get16(&extensions[extensions.size() - 2]);
            }
            if (!ReadExtensions(extensions, 0, 2, entry, crcAt)) {
                return std::nullopt;
            }
        }
    } else if (entry.level == 2 || entry.level == 3) {
        const int sizeField = entry.level == 2 ? 2 : 4;
        const std::size_t baseSize = entry.level == 2 ? kLevel2BaseSize : 28;
        header.resize(baseSize);
        if (!ReadAt(fd, offset, header.data(), baseSize)) {
            return std::nullopt;
        }
        headerSize = entry.level == 2 ? Get16(&header[0]) : Get32(&header[24]);
        if ((entry.level == 3 && Get16(&header[0]) != 4) || headerSize < baseSize + sizeField ||
            headerSize > 1 << 20) {
            return std::nullopt;
        }
        header.resize(headerSize);
        if (!ReadAt(fd, offset, header.data(), headerSize)) {
            return std::nullopt;
        }
        if (!ReadExtensions(header, baseSize, sizeField, entry, crcAt)) {
            return std::nullopt;
        }
        if (crcAt && !CrcMatches(header, *crcAt)) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;
    }
    entry.size = headerSize + compressed;
    if (offset + entry.size > fileSize) {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

std::vector<std::uint8_t> MakeLevel2Header(const MemberHeader& member) {
    const std::size_t commonSize = 2 + 1 + 2;
    const std::size_t nameSize = 2 + 1 + member.name.size();
    const std::size_t stampSize = 2 + 1 + 4;
    std::size_t size = kLevel2BaseSize + commonSize + nameSize + 2;
    // A header whose size has a zero low byte would start with a 0, which
    // readers take for the end of the archive. Padding after the last
    // extension is skipped by some readers and not by others (7-Zip), so
    // such a header gets one more real extension: the time stamp again.
    const bool withStamp = (size & 0xFF) == 0;
    if (withStamp) {
        size += stampSize;
    }
    std::vector<std::uint8_t> h(size, 0);
    Put16(h, 0, static_cast<std::uint32_t>(size));
    for (std::size_t i = 0; i < 5; ++i) {
        h[2 + i] = static_cast<std::uint8_t>(member.method[i]);
    }
    Put32(h, 7, member.compressedSize);
    Put32(h, 11, member.originalSize);
    Put32(h, 15, member.modified);
    h[19] = 0x20;
    h[20] = 2;
    Put16(h, 21, member.dataCrc);
    h[23] = 'M';
    std::size_t at = kLevel2BaseSize;
    Put16(h, at, commonSize);
    h[at + 2] = kExtCommon;
    const std::size_t crcAt = at + 3;
    at += commonSize;
    Put16(h, at, static_cast<std::uint32_t>(nameSize));
    h[at + 2] = kExtFileName;
    std::copy(member.name.begin(), member.name.end(), h.begin() + at + 3);
    at += nameSize;
    if (withStamp) {
        Put16(h, at, stampSize);
        h[at + 2] = kExtUnixTime;
        Put32(h, at + 3, member.modified);
        at += stampSize;
    }
    Put16(h, at, 0);
    Put16(h, crcAt, Crc16(h));
    return h;
}

std::optional<ArchiveIndex> IndexArchive(int fd) {
    const off_t fileSize = lseek(fd, 0, SEEK_END);
    if (fileSize < 0) {
        return std::nullopt;
    }
    ArchiveIndex index;
    std::uint64_t offset = 0;
    while (true) {
        std::uint8_t first = 0;
        if (static_cast<std::uint64_t>(fileSize) <= offset || !ReadAt(fd, offset, &first, 1) ||
            first == 0) {
            break;
        }
        auto entry = ReadEntry(fd, offset, static_cast<std::uint64_t>(fileSize));
        if (!entry) {
            return std::nullopt;
        }
        offset += entry->size;
        index.entries.push_back(std::move(*entry));
    }
    // Without members only an empty file or a lone end marker is an archive:
    // anything else starting with a zero byte is someone else's file.
    if (index.entries.empty() && fileSize > 1) {
        return std::nullopt;
    }
    index.end = offset;
    return index;
}

}  // namespace lha
