#pragma once

#include "moviefile/MovieMessages.h"

#include <QImage>
#include <QString>

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
class FrameLoader {
public:
    // Frame k's picture, read now on the calling thread.
    static FramePicture LoadFramePicture(const MovieDoc& doc, const QString& workFolder,
                                         bool preview, int k);

private:
    struct Reading;
};
