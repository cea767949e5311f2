// A broken promise found by a fuzzer: abort, so libFuzzer keeps the input.
#pragma once

#include <cstdlib>

inline void FuzzCheck(bool condition) {
    if (!condition) {
        std::abort();
    }
}
