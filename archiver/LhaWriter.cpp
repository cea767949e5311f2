#include "LhaWriter.h"

namespace lha {

int StoreFile(const std::filesystem::path& /*archive*/, const std::filesystem::path& /*file*/,
              Method /*method*/) {
    return 1;
}

}  // namespace lha
