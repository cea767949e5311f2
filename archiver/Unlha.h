#pragma once

// The archiver's C entry points, as the program loads them with dlopen.
// Both return 0 on success and nonzero on any failure.

#if defined(__GNUC__)
#define UNLHA_EXPORT __attribute__((visibility("default")))
#else
#define UNLHA_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Runs one command line: an extraction (e) or a store (a). The window is
// ignored; output receives a short status text, truncated to outputSize.
UNLHA_EXPORT int Unlha(const void* window, const char* commandLine, char* output,
                       unsigned long outputSize);

// Kept for the calling convention; there is no cursor to change here.
UNLHA_EXPORT int UnlhaSetCursorMode(int mode);

#ifdef __cplusplus
}
#endif
