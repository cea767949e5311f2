#pragma once

#include "moviefile/MovieMessages.h"

#include <QImage>
#include <QString>

#include <future>
#include <memory>

struct MovieDoc;

struct FramePicture {
    // Ready to be shown: in the format a pixmap takes without converting.
    QImage image;
    // InvalidPackage on failure, or a size refusal with its detail.
    MovieMessage message = MovieMessage::None;
    QString detail;
    bool ok() const { return message == MovieMessage::None; }
};

// The player's frame pictures. Outside preview a frame's picture and sound
// are weighed (ExtractionCheck) and taken from the package into the work
// folder first, and the picture file is deleted once read; the sound stays
// for the player to play. A sound that cannot be extracted is no error: the
// frame is shown without it. After a failure nothing extracted for the
// frame stays behind. In preview the editor's files are read where they
// are, and nothing is extracted or deleted.
//
// While a frame is on screen the next one is read ahead on a worker
// thread, so that its tick only has to show it; a failure is kept until
// the frame's turn comes.
class FrameLoader {
public:
    FrameLoader(const MovieDoc& doc, QString workFolder, bool preview);
    // Drops the frame being read ahead.
    ~FrameLoader();
    FrameLoader(const FrameLoader&) = delete;
    FrameLoader& operator=(const FrameLoader&) = delete;

    // Frame k's picture, read now on the calling thread.
    static FramePicture LoadFramePicture(const MovieDoc& doc, const QString& workFolder,
                                         bool preview, int k);

    // Starts reading frame k ahead; 0 drops any frame being read ahead and
    // the files extracted for it.
    void prepare(int k);
    // Frame k's picture, for the screen: the one read ahead when it is
    // frame k, else (a jump) read now, the other dropped.
    FramePicture take(int k);

private:
    struct Reading;
    void drop();

    const MovieDoc& doc_;
    const QString workFolder_;
    const bool preview_;
    // The frame last taken: its sound is in use and is never extracted
    // over or removed by a frame read ahead.
    int shown_ = 0;
    int aheadFrame_ = 0;
    std::shared_ptr<Reading> ahead_;
    std::future<void> worker_;
};
