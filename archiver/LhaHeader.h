#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lha {

// What a member's header says about it.
struct MemberHeader {
    std::string method;  // "-lh7-"
    std::uint32_t compressedSize = 0;
    std::uint32_t originalSize = 0;
    std::uint32_t modified = 0;  // Unix time
    std::uint16_t dataCrc = 0;
    std::string name;  // stored bytes: CP932 or UTF-8, folders dropped
};

// A level-2 header for a member (OS id 'M'), with the header-CRC and
// file-name extensions; its CRC covers the whole header.
std::vector<std::uint8_t> MakeLevel2Header(const MemberHeader& member);

// One member as found in an existing archive.
struct ArchiveEntry {
    std::uint64_t offset = 0;  // where its header starts
    std::uint64_t size = 0;    // header and data
    int level = 0;
    std::string path;  // stored folder and name, '/' between them
};

struct ArchiveIndex {
    std::vector<ArchiveEntry> entries;
    std::uint64_t end = 0;  // where the end marker (or the file's end) is
};

// Reads the headers of an archive (levels 0, 1 and 2), skipping the data.
// Nothing when it is not an LHA archive or a header is damaged or runs
// past the file's end.
std::optional<ArchiveIndex> IndexArchive(int fd);

}  // namespace lha
