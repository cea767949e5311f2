#pragma once

// A movie for the player's tests, frame by frame: what the editor would have
// put into the document.

#include "moviefile/MovieDoc.h"

#include <QSize>
#include <QString>

#include <vector>

namespace PlayerMovies {

struct Frame {
    QString picture;
    int waitMs = 0;
    QString sound;
    QSize size = QSize(320, 240);  // of the picture, where a test writes one
};

inline void setMovie(MovieDoc& doc, const std::vector<Frame>& frames, int advanceMode,
                     int loopFlag = 0, int loopWaitSeconds = 10) {
    doc.resetFrames(static_cast<int>(frames.size()));
    doc.frameCount = static_cast<int>(frames.size());
    doc.advanceMode = advanceMode;
    doc.loopFlag = loopFlag;
    doc.loopWaitSeconds = loopWaitSeconds;
    for (size_t i = 0; i < frames.size(); ++i) {
        doc.frames[i + 1] = FrameEntry{true, frames[i].picture, frames[i].waitMs, frames[i].sound};
    }
}

}  // namespace PlayerMovies
