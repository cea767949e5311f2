#include "Unlha.h"

#include "archiver/UnlhaCommand.h"

#include <algorithm>
#include <cstring>

namespace {

void writeOutput(char* output, unsigned long outputSize, const char* text) {
    if (output == nullptr || outputSize == 0) {
        return;
    }
    const size_t length = std::min<size_t>(std::strlen(text), outputSize - 1);
    std::memcpy(output, text, length);
    output[length] = '\0';
}

}  // namespace

extern "C" int Unlha(const void* /*window*/, const char* commandLine, char* output,
                     unsigned long outputSize) {
    lha::Status status = lha::Status::BadCommand;
    // Nothing may leave a C entry point by exception, not even bad_alloc.
    try {
        if (commandLine != nullptr) {
            status = UnlhaCommand::run(std::string_view(commandLine));
        }
    } catch (...) {
        status = lha::Status::WriteFailed;
    }
    writeOutput(output, outputSize, lha::StatusText(status));
    return static_cast<int>(status);
}

extern "C" int UnlhaSetCursorMode(int /*mode*/) {
    return 0;
}
