#include "FrameTiming.h"

#include <algorithm>

namespace FrameTiming {

std::int64_t WaitPart(int advanceMode, int waitMs) {
    const std::int64_t wait = std::max(waitMs, 0);
    if (advanceMode == 1 || advanceMode == 2) {
        return wait;
    }
    return wait > 0 ? wait : kManualFrameMs;
}

bool HoldsForSound(int advanceMode) {
    return advanceMode == 2;
}

std::int64_t FrameMs(int advanceMode, int waitMs, std::int64_t soundMs) {
    const std::int64_t wait = WaitPart(advanceMode, waitMs);
    return HoldsForSound(advanceMode) ? std::max(wait, soundMs) : wait;
}

}  // namespace FrameTiming
