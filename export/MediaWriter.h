#pragma once

#include "export/ExportFormat.h"
#include "export/ExportResult.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>

// The exported file as FFmpeg's encoders and muxers write it: one picture
// per frame, held until the next one starts, and one sound track.
class MediaWriter {
public:
    struct Settings {
        ExportFormat format = ExportFormat::Mp4;
        int width = 0;  // even
        int height = 0;
        bool withSound = false;  // ignored for GIF, which has none
        bool loop = false;       // GIF: repeat for ever rather than play once
    };

    // The time base of the format's pictures: milliseconds, or the GIF's
    // centiseconds.
    static int TicksPerSecond(ExportFormat format);
    // The longest one picture can be shown, in those units: a GIF's delay
    // is 16 bits of centiseconds; a longer frame shows its picture again.
    static std::int64_t LongestPicture(ExportFormat format);

    // Opens `path` (an existing, empty file the caller reserved) and writes
    // the file's header. Nothing when that fails; `problem` says why.
    static std::unique_ptr<MediaWriter> Open(const QString& path, const Settings& settings,
                                             ExportResult& problem);
    ~MediaWriter();
    MediaWriter(const MediaWriter&) = delete;
    MediaWriter& operator=(const MediaWriter&) = delete;

    // The picture shown from `start` on (in TicksPerSecond units from the
    // movie's start, later than the previous picture's): a picture of the
    // video's size, 32 bits a pixel.
    ExportResult AddPicture(const QImage& picture, std::int64_t start);
    // The next stereo samples of the sound track, at 48 kHz.
    ExportResult AddSound(const float* samples, int frames);
    // Ends the movie at `end` (in TicksPerSecond units): the last picture
    // lasts until then. Closes the file.
    ExportResult Finish(std::int64_t end);

    struct State;

private:
    explicit MediaWriter(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};
