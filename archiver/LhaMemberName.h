#pragma once

#include <string>
#include <string_view>

// Member names as stored in LHA headers, turned into the bare names that
// extraction writes, and the archiver's case-insensitive wildcards.
namespace lha {

// The UTF-8 bare name a member is extracted under. storedDirectory and
// storedName are the header's raw bytes (0xFF, '/' and '\' separate
// folders; CP932 or UTF-8 text). A path that names a folder, is absolute,
// climbs with "..", or leaves an empty, "." or ".." name is not safe: such
// a member must never be written. bareName is then still the last part of
// the path, for matching against the pattern asked for.
struct MemberName {
    std::string bareName;
    bool safe = false;
};
MemberName ParseMemberName(std::string_view storedDirectory, std::string_view storedName);

// Whether a UTF-8 name matches a pattern of literal characters, '*' (any
// run) and '?' (one character), ignoring ASCII letter case as the Windows
// archiver did. "*.*" matches every name, dotted or not.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace lha
