#pragma once

#include <filesystem>

namespace lha {

enum class Method { Lh0, Lh5, Lh6, Lh7 };

// Stores a file in an archive under its bare name, creating the archive
// when it does not exist and replacing a member of the same name. Returns 0
// on success; on failure the archive is left as it was.
int StoreFile(const std::filesystem::path& archive, const std::filesystem::path& file,
              Method method = Method::Lh7);

}  // namespace lha
