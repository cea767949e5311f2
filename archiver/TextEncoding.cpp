#include "TextEncoding.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace TextEncoding {
namespace {

// iconv's descriptor, closed however the conversion ends.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::optional<std::string> convert(std::string_view input) const {
        if (!valid()) {
            return std::nullopt;
        }
        std::string output;
        std::vector<char> buffer(input.size() * 4 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        while (true) {
            char* out = buffer.data();
            size_t outLeft = buffer.size();
            const size_t result = iconv(cd_, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
            output.append(buffer.data(), buffer.size() - outLeft);
            if (result != static_cast<size_t>(-1)) {
                if (inLeft == 0) {
                    break;
                }
                continue;
            }
            if (errno != E2BIG) {
                return std::nullopt;
            }
        }
        // Flush any shift state.
        char* out = buffer.data();
        size_t outLeft = buffer.size();
        iconv(cd_, nullptr, nullptr, &out, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        return output;
    }

    // The same, with one U+FFFD for each input byte that starts no
    // character, so a bad byte costs only itself.
    std::string convertLossy(std::string_view input) const {
        if (!valid()) {
            return std::string(input);
        }
        std::string output;
        char buffer[256];
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t result = iconv(cd_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, sizeof buffer - outLeft);
            if (result == static_cast<size_t>(-1) && errno != E2BIG) {
                output.append("\xEF\xBF\xBD");
                ++in;
                --inLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return output;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        unsigned int codePoint = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            codePoint = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            codePoint = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            codePoint = c & 0x07;
        } else {
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static const unsigned int smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<std::string> utf8ToCp932(std::string_view utf8) {
    auto cp932 = Converter("CP932", "UTF-8").convert(utf8);
    // Some characters map to bytes that read back as others (the yen sign
    // becomes the backslash byte): such text has no faithful CP932 form.
    if (!cp932 || cp932ToUtf8(*cp932) != std::optional<std::string>(std::string(utf8))) {
        return std::nullopt;
    }
    return cp932;
}

std::optional<std::string> cp932ToUtf8(std::string_view cp932) {
    return Converter("UTF-8", "CP932").convert(cp932);
}

std::string cp932ToUtf8Lossy(std::string_view cp932) {
    return Converter("UTF-8", "CP932").convertLossy(cp932);
}

std::string toPackageText(std::string_view utf8) {
    // CP932 bytes that also read as UTF-8 (ﾃｽ is C3 BD, which is ½) would
    // come back as another text: such text is stored as UTF-8.
    if (auto cp932 = utf8ToCp932(utf8); cp932 && (*cp932 == utf8 || !isValidUtf8(*cp932))) {
        return *cp932;
    }
    return std::string(utf8);
}

std::string fromPackageText(std::string_view stored) {
    if (isValidUtf8(stored)) {
        return std::string(stored);
    }
    if (auto utf8 = cp932ToUtf8(stored)) {
        return *utf8;
    }
    // Neither: keep what can be kept, one replacement per bad byte.
    std::string result;
    size_t i = 0;
    while (i < stored.size()) {
        size_t length = 1;
        const auto c = static_cast<unsigned char>(stored[i]);
        if (c >= 0xC0) {
            length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        }
        if (i + length <= stored.size() && isValidUtf8(stored.substr(i, length))) {
            result.append(stored.substr(i, length));
            i += length;
        } else {
            result.append("\xEF\xBF\xBD");
            ++i;
        }
    }
    return result;
}

}  // namespace TextEncoding
