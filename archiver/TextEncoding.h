#pragma once

#include <optional>
#include <string>
#include <string_view>

// Names and texts that travel inside packages: CP932 where every character
// has a CP932 form, so packages stay readable where they came from, else
// UTF-8. On reading, valid UTF-8 is taken as UTF-8, anything else as CP932.
namespace TextEncoding {

bool isValidUtf8(std::string_view bytes);

// The CP932 form of a UTF-8 text, or nothing when a character has none
// that reads back as the same character.
std::optional<std::string> utf8ToCp932(std::string_view utf8);

// CP932 bytes as UTF-8, or nothing when the bytes are not CP932.
std::optional<std::string> cp932ToUtf8(std::string_view cp932);

// CP932 bytes as UTF-8, one U+FFFD for each byte that starts no character
// (text inside binary data).
std::string cp932ToUtf8Lossy(std::string_view cp932);

// What a package stores for a UTF-8 text: CP932 when every character has a
// CP932 form whose bytes are not also valid UTF-8, else UTF-8, so that
// fromPackageText always gives the text back.
std::string toPackageText(std::string_view utf8);

// A stored text as UTF-8: UTF-8 as it is, else CP932 converted; text that
// is neither comes back with the bad bytes replaced by U+FFFD.
std::string fromPackageText(std::string_view stored);

}  // namespace TextEncoding
