#include "MovieDoc.h"

void MovieDoc::resetFrames(int lastSlot) {
    frames.assign(static_cast<size_t>(lastSlot < 0 ? 0 : lastSlot) + 1, FrameEntry{});
}

MovieDoc& movieDoc() {
    static MovieDoc doc;
    return doc;
}
