#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reading LHA archives through liblhasa: listing members and extracting
// them by bare name into one folder, never outside it.
namespace lha {

// Why a command failed; Ok is 0 and every other value is the nonzero result
// the archiver's command line returns.
enum class Status : int {
    Ok = 0,
    BadCommand = 1,
    CannotOpenArchive = 2,
    DamagedArchive = 3,
    UnsafeMemberName = 4,
    CrcMismatch = 5,
    UnsupportedMethod = 6,
    MissingFolder = 7,
    WriteFailed = 8,
    StoreFailed = 9,
};

// A short English text for a status, fit for the archiver's output buffer.
const char* StatusText(Status status);

struct ExtractResult {
    Status status = Status::Ok;
    int filesWritten = 0;
};

// Extracts every file member whose bare name matches pattern (a name or a
// wildcard, see MatchesPattern) into folder, replacing files of the same
// name. Each file appears only once complete and checked against its CRC.
// A pattern that matches nothing is success. Members with unsafe names are
// refused; extraction of the others goes on and the result is that refusal.
ExtractResult ExtractFiles(const std::filesystem::path& archive,
                           const std::filesystem::path& folder, std::string_view pattern);

// The same, for an archive already in memory.
ExtractResult ExtractFilesFromMemory(std::span<const std::uint8_t> archive,
                                     const std::filesystem::path& folder, std::string_view pattern);

struct MemberInfo {
    std::string name;  // UTF-8 bare name; empty when the stored name is unsafe
    std::string method;
    std::uint64_t size = 0;
    std::uint64_t packedSize = 0;
    std::uint16_t crc = 0;
    int headerLevel = 0;
};

// Every file member in order, or nothing when the archive cannot be opened
// or is damaged. Folders are left out.
std::optional<std::vector<MemberInfo>> ListFiles(const std::filesystem::path& archive);

// The first `length` bytes of the index-th file member of ListFiles, decoded
// without writing anything; fewer when the member is shorter. Nothing when
// there is no such member or its start cannot be decoded. Lets a caller
// look at a picture's header before it unpacks the picture.
std::optional<std::vector<std::uint8_t>> ReadMemberStart(const std::filesystem::path& archive,
                                                         size_t index, size_t length);

}  // namespace lha
