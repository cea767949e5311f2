#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "archiver/MatchFinder.h"

namespace lha {

enum class Method { Lh0, Lh5, Lh6, Lh7 };

// Stores a file in an archive under its bare name, creating the archive
// when it does not exist and replacing a member of the same name. Returns 0
// on success; on failure the archive is left as it was.
int StoreFile(const std::filesystem::path& archive, const std::filesystem::path& file,
              Method method = Method::Lh7);

struct StoreOptions {
    Method method = Method::Lh7;
    // Store (-lh0-) when compressing would not make the member smaller.
    bool storeWhenNotSmaller = true;
    ParseEffort effort;
};

int StoreFile(const std::filesystem::path& archive, const std::filesystem::path& file,
              const StoreOptions& options);

// A member ready to be written: its level-2 header and its data.
struct EncodedMember {
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> data;
    Method method = Method::Lh0;
};

// Encodes `content` as a member named `storedName` (bytes as they go into
// the header) with modification time `modified` (Unix time).
EncodedMember EncodeMember(const std::string& storedName, std::span<const std::uint8_t> content,
                           std::uint32_t modified, const StoreOptions& options);

// The five-character method id, "-lh7-".
const char* MethodId(Method method);

}  // namespace lha
