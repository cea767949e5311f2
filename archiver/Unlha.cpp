#include "Unlha.h"

extern "C" int Unlha(const void* /*window*/, const char* /*commandLine*/, char* output,
                     unsigned long outputSize) {
    if (output != nullptr && outputSize > 0) {
        output[0] = '\0';
    }
    return 1;
}

extern "C" int UnlhaSetCursorMode(int /*mode*/) {
    return 0;
}
