// Parses arbitrary command lines and matches arbitrary names and patterns;
// commands are only parsed, never run, so no file is touched.

#include "archiver/LhaMemberName.h"
#include "archiver/UnlhaCommand.h"
#include "fuzz/FuzzCheck.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto command = UnlhaCommand::parse(text);
    const size_t split = text.find('\n');
    const std::string_view first = text.substr(0, split);
    const std::string_view rest = split == std::string_view::npos ? "" : text.substr(split + 1);
    lha::MatchesPattern(first, rest);
    const lha::MemberName name = lha::ParseMemberName(first, rest);
    // No name that would leave the folder passes as safe.
    FuzzCheck(!name.safe ||
              !(name.bareName.empty() || name.bareName == "." || name.bareName == ".." ||
                name.bareName.find('/') != std::string::npos));
    if (command) {
        if (const auto* extract = std::get_if<UnlhaCommand::Extract>(&*command)) {
            lha::MatchesPattern("SW001.bmp", extract->pattern);
        }
    }
    return 0;
}
