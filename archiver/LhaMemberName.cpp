#include "LhaMemberName.h"

#include "archiver/TextEncoding.h"

#include <vector>

namespace lha {
namespace {

// One folder or file name of a stored path, already converted to UTF-8.
std::vector<std::string> splitComponents(std::string_view raw) {
    std::vector<std::string> components;
    // 0xFF is never part of CP932 or UTF-8 text, so it can be split on
    // first; '\' only after conversion, where a CP932 trail byte 0x5C is
    // part of its character rather than a separator.
    size_t start = 0;
    while (start <= raw.size()) {
        size_t end = raw.find('\xFF', start);
        if (end == std::string_view::npos) {
            end = raw.size();
        }
        const std::string text = TextEncoding::fromPackageText(raw.substr(start, end - start));
        size_t from = 0;
        while (true) {
            const size_t separator = text.find_first_of("/\\", from);
            if (separator == std::string::npos) {
                components.push_back(text.substr(from));
                break;
            }
            components.push_back(text.substr(from, separator - from));
            from = separator + 1;
        }
        start = end + 1;
    }
    return components;
}

bool isSeparator(char c) {
    return c == '/' || c == '\\' || c == '\xFF';
}

bool isDriveForm(std::string_view component) {
    return component.size() >= 2 && component[1] == ':' &&
           ((component[0] >= 'A' && component[0] <= 'Z') ||
            (component[0] >= 'a' && component[0] <= 'z'));
}

// Code points of a UTF-8 text; a byte that is not part of valid UTF-8
// stands for itself, so any byte string can be matched.
std::vector<char32_t> codePoints(std::string_view text) {
    std::vector<char32_t> result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            length = 1;
            value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            value = (value << 6) | (next & 0x3F);
        }
        if (valid) {
            result.push_back(value);
            i += length;
        } else {
            result.push_back(0xDC00 + lead);  // outside any valid UTF-8 value
            ++i;
        }
    }
    return result;
}

char32_t foldCase(char32_t c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

}  // namespace

MemberName ParseMemberName(std::string_view storedDirectory, std::string_view storedName) {
    std::vector<std::string> folders;
    if (!storedDirectory.empty()) {
        folders = splitComponents(storedDirectory);
    }
    const std::vector<std::string> nameParts = splitComponents(storedName);
    MemberName result{nameParts.back(), false};

    const bool hasNul = storedDirectory.find('\0') != std::string_view::npos ||
                        storedName.find('\0') != std::string_view::npos;
    const std::string_view first = storedDirectory.empty() ? storedName : storedDirectory;
    const bool absolute = (!first.empty() && isSeparator(first.front())) ||
                          isDriveForm(folders.empty() ? nameParts.front() : folders.front());
    bool climbs = false;
    for (const std::string& component : folders) {
        climbs = climbs || component == "..";
    }
    for (const std::string& component : nameParts) {
        climbs = climbs || component == "..";
    }
    // A package holds bare names only; a member stored under a folder is
    // refused rather than taken for another file of the same name.
    const bool inFolder = !folders.empty() || nameParts.size() > 1;
    result.safe = !hasNul && !absolute && !climbs && !inFolder && !result.bareName.empty() &&
                  result.bareName != ".";
    return result;
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") {
        pattern = "*";
    }
    const std::vector<char32_t> text = codePoints(name);
    const std::vector<char32_t> wild = codePoints(pattern);
    // Greedy matching that backtracks only to the last '*': linear in
    // practice and never recursive, whatever the pattern.
    size_t t = 0;
    size_t w = 0;
    size_t starAt = std::string_view::npos;
    size_t starText = 0;
    while (t < text.size()) {
        if (w < wild.size() && wild[w] == U'*') {
            starAt = w++;
            starText = t;
        } else if (w < wild.size() && (wild[w] == U'?' || foldCase(wild[w]) == foldCase(text[t]))) {
            ++w;
            ++t;
        } else if (starAt != std::string_view::npos) {
            w = starAt + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (w < wild.size() && wild[w] == U'*') {
        ++w;
    }
    return w == wild.size();
}

}  // namespace lha
