// Feeds arbitrary bytes to the movie script reader. Besides not crashing,
// whatever it accepts must be a sane movie, and what the writer makes of a
// whole movie must read back as the same table.
#include "fuzz/FuzzCheck.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"

#include <cstddef>
#include <cstdint>

using namespace MovieScript;

namespace {

void checkAccepted(const MovieDoc& doc, ScriptMode mode) {
    FuzzCheck(doc.frameCount >= 0 && doc.frameCount <= MovieDoc::kEditorSlots);
    FuzzCheck(doc.lastSlot() == (mode == ForPlayer ? doc.frameCount : MovieDoc::kEditorSlots));
    FuzzCheck(mode == ForEditor || doc.frameCount >= 1);
    for (int k = 1; k <= doc.lastSlot(); ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        FuzzCheck(!frame.inUse || WorkFolder::isBareFileName(frame.pictureFile));
        FuzzCheck(frame.soundFile.isEmpty() || WorkFolder::isBareFileName(frame.soundFile));
        FuzzCheck(k <= doc.frameCount || !frame.inUse);
    }
}

void checkRoundTrip(const MovieDoc& doc) {
    for (int k = 1; k <= doc.frameCount; ++k) {
        if (!doc.frames[static_cast<size_t>(k)].inUse) {
            return;
        }
    }
    const auto script = FormatMovieScript(doc.frameCount, {}, doc);
    FuzzCheck(script.has_value());
    MovieDoc again;
    FuzzCheck(ParseMovieScript(*script, ForPlayer, again).ok());
    FuzzCheck(again.frameCount == doc.frameCount);
    for (int k = 1; k <= doc.frameCount; ++k) {
        const FrameEntry& a = doc.frames[static_cast<size_t>(k)];
        const FrameEntry& b = again.frames[static_cast<size_t>(k)];
        FuzzCheck(a.pictureFile == b.pictureFile && a.waitMs == b.waitMs &&
                  a.soundFile == b.soundFile && b.inUse);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (ScriptMode mode : {ForPlayer, ForEditor}) {
        MovieDoc doc;
        const MovieDoc before = doc;
        const ReadResult result = ParseMovieScript(bytes, mode, doc);
        if (result.ok()) {
            checkAccepted(doc, mode);
            if (mode == ForPlayer && doc.frameCount > 0) {
                checkRoundTrip(doc);
            }
        } else {
            FuzzCheck(doc.frameCount == before.frameCount && doc.lastSlot() == before.lastSlot());
        }
    }
    return 0;
}
