#pragma once

#include "archiver/LhaReader.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The archiver's two command lines, exactly as the program builds them:
//   e "<package>" "<folder>/" <pattern> -n
//   a -d "<package>" "<file>" -n -q -x0
// Paths are double-quoted bytes, used as given; the pattern is a bare name,
// a double-quoted name or a wildcard.
namespace UnlhaCommand {

struct Extract {
    std::string package;
    std::string folder;
    std::string pattern;
};

struct Store {
    std::string package;
    std::string file;
};

using Command = std::variant<Extract, Store>;

// The command a line holds, or nothing when it is not one of the two.
std::optional<Command> parse(std::string_view commandLine);

lha::Status run(const Command& command);

// Parses and runs a line; a line that does not parse touches no file.
lha::Status run(std::string_view commandLine);

}  // namespace UnlhaCommand
