#include "UnlhaCommand.h"

#include "archiver/LhaWriter.h"

#include <filesystem>
#include <vector>

namespace UnlhaCommand {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Splits at blanks; a double-quoted token keeps its blanks. A quote that is
// not closed, or one inside or right after a token, makes the line invalid.
std::optional<std::vector<Token>> tokenize(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return tokens;
        }
        Token token;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            token.text = line.substr(i + 1, close - i - 1);
            token.quoted = true;
            i = close + 1;
            if (i < line.size() && !isBlank(line[i])) {
                return std::nullopt;
            }
        } else {
            const size_t start = i;
            while (i < line.size() && !isBlank(line[i])) {
                if (line[i] == '"') {
                    return std::nullopt;
                }
                ++i;
            }
            token.text = line.substr(start, i - start);
        }
        tokens.push_back(std::move(token));
    }
}

bool isWord(const Token& token, std::string_view word) {
    return !token.quoted && token.text == word;
}

bool isPath(const Token& token) {
    return token.quoted && !token.text.empty() && token.text.find('\0') == std::string::npos;
}

}  // namespace

std::optional<Command> parse(std::string_view commandLine) {
    const std::optional<std::vector<Token>> tokens = tokenize(commandLine);
    if (!tokens || tokens->empty()) {
        return std::nullopt;
    }
    const std::vector<Token>& t = *tokens;
    if (isWord(t[0], "e") && t.size() == 5 && isPath(t[1]) && isPath(t[2]) && !t[3].text.empty() &&
        isWord(t[4], "-n")) {
        // Members are matched by bare name; a pattern with a folder in it
        // could only ever match nothing.
        if (t[3].text.find_first_of("/\\") != std::string::npos) {
            return std::nullopt;
        }
        return Extract{t[1].text, t[2].text, t[3].text};
    }
    if (isWord(t[0], "a") && t.size() == 7 && isWord(t[1], "-d") && isPath(t[2]) && isPath(t[3]) &&
        isWord(t[4], "-n") && isWord(t[5], "-q") && isWord(t[6], "-x0")) {
        return Store{t[2].text, t[3].text};
    }
    return std::nullopt;
}

lha::Status run(const Command& command) {
    if (const auto* extract = std::get_if<Extract>(&command)) {
        return lha::ExtractFiles(extract->package, extract->folder, extract->pattern).status;
    }
    const auto& store = std::get<Store>(command);
    std::error_code error;
    if (!std::filesystem::is_regular_file(store.file, error)) {
        return lha::Status::StoreFailed;  // nothing to store: leave the package alone
    }
    // The source file stays where it is: the editor keeps working on it.
    return lha::StoreFile(store.package, store.file, lha::Method::Lh7) == 0
               ? lha::Status::Ok
               : lha::Status::StoreFailed;
}

lha::Status run(std::string_view commandLine) {
    const std::optional<Command> command = parse(commandLine);
    return command ? run(*command) : lha::Status::BadCommand;
}

}  // namespace UnlhaCommand
