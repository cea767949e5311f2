#include "MovieExporter.h"

#include "archiver/ReplaceByRename.h"
#include "common/ProgramEnd.h"
#include "export/FrameTiming.h"
#include "export/MediaWriter.h"
#include "export/MidiSynth.h"
#include "export/SoundClip.h"
#include "moviefile/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace MovieExporter {
namespace {

constexpr int kSamplesPerMs = SoundClip::kRate / 1000;
constexpr int kBlockFrames = 4096;
// Qt's default allocation limit would refuse the largest pictures we take.
constexpr int kAllocationLimitMb = 512;

QString pathOf(const MovieToExport& movie, const QString& name) {
    return QDir(movie.folder).filePath(name);
}

bool fits(QSize size) {
    return size.width() <= kLargestSide && size.height() <= kLargestSide &&
           qint64{size.width()} * size.height() <= kLargestArea;
}

// The size of every picture, checked before anything is written.
std::optional<QSize> videoSize(const MovieToExport& movie, ExportResult& problem) {
    QSize largest(0, 0);
    for (const FrameEntry& frame : movie.frames) {
        const QString& name = frame.pictureFile;
        if (!WorkFolder::isBareFileName(name) || !QFileInfo(pathOf(movie, name)).isFile()) {
            problem = {ExportProblem::MissingPicture, name};
            return std::nullopt;
        }
        QImageReader reader(pathOf(movie, name));
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty()) {
            problem = {ExportProblem::UnreadablePicture, name};
            return std::nullopt;
        }
        if (!fits(size)) {
            problem = {ExportProblem::PictureTooLarge, name};
            return std::nullopt;
        }
        largest = largest.expandedTo(size);
    }
    // 4:2:0 video needs even sides.
    const QSize even((largest.width() + 1) & ~1, (largest.height() + 1) & ~1);
    if (!fits(even)) {
        problem = {ExportProblem::PictureTooLarge,
                   QStringLiteral("%1x%2").arg(even.width()).arg(even.height())};
        return std::nullopt;
    }
    return even;
}

// The frame's picture centred on black on the video's canvas, never scaled.
bool paintFrame(const QString& path, QImage& canvas) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    QImage picture = reader.read();
    if (picture.isNull() || picture.width() > canvas.width() ||
        picture.height() > canvas.height()) {
        return false;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32);
    canvas.fill(Qt::black);
    const int left = (canvas.width() - picture.width()) / 2;
    const int top = (canvas.height() - picture.height()) / 2;
    for (int y = 0; y < picture.height(); ++y) {
        std::memcpy(canvas.scanLine(top + y) + static_cast<std::ptrdiff_t>(left) * 4,
                    picture.constScanLine(y), static_cast<size_t>(picture.width()) * 4);
    }
    return true;
}

// The export's moving parts, from the first frame to the renamed file.
class Run {
public:
    Run(const MovieToExport& movie, const ExportProgress& progress, ExportFormat format)
        : movie_(movie), progress_(progress), format_(format) {}

    ExportResult frames(MediaWriter& writer, QImage& canvas, bool withSound) {
        const int total = static_cast<int>(movie_.frames.size());
        std::int64_t startMs = 0;
        bool shown = false;
        for (int k = 0; k < total; ++k) {
            const FrameEntry& frame = movie_.frames[static_cast<size_t>(k)];
            const std::int64_t waitMs = FrameTiming::WaitPart(movie_.advanceMode, frame.waitMs);
            const bool holds = FrameTiming::HoldsForSound(movie_.advanceMode);
            std::int64_t played = 0;  // sample frames of the sound heard
            if (withSound || holds) {
                if (auto clip = openSound(frame)) {
                    const std::int64_t limit =
                        holds ? std::numeric_limits<std::int64_t>::max() : waitMs * kSamplesPerMs;
                    ExportResult result =
                        playSound(*clip, limit, withSound ? &writer : nullptr, played);
                    if (!result.ok()) {
                        return result;
                    }
                }
            }
            const std::int64_t soundMs = (played + kSamplesPerMs - 1) / kSamplesPerMs;
            const std::int64_t frameMs =
                FrameTiming::FrameMs(movie_.advanceMode, frame.waitMs, soundMs);
            if (withSound) {
                if (ExportResult result = silence(writer, frameMs * kSamplesPerMs - played);
                    !result.ok()) {
                    return result;
                }
            }
            const std::int64_t start = ticks(startMs);
            startMs += frameMs;
            // A frame that lasts no time in the file's time base is never seen.
            const std::int64_t end = ticks(startMs);
            if (end > start) {
                if (!paintFrame(pathOf(movie_, frame.pictureFile), canvas)) {
                    return {ExportProblem::UnreadablePicture, frame.pictureFile};
                }
                const std::int64_t longest = MediaWriter::LongestPicture(format_);
                for (std::int64_t at = start; at < end; at += std::min(longest, end - at)) {
                    if (ExportResult result = writer.AddPicture(canvas, at); !result.ok()) {
                        return result;
                    }
                }
                shown = true;
            }
            if (progress_.frameDone) {
                progress_.frameDone(k + 1, total);
            }
            if (stopped()) {
                return {ExportProblem::Cancelled, {}};
            }
        }
        if (!shown) {
            return {ExportProblem::NothingToShow, {}};
        }
        return writer.Finish(ticks(startMs));
    }

private:
    std::int64_t ticks(std::int64_t ms) const {
        const std::int64_t perSecond = MediaWriter::TicksPerSecond(format_);
        return (ms * perSecond + 500) / 1000;
    }

    bool stopped() const { return progress_.cancelled && progress_.cancelled(); }

    std::unique_ptr<SoundClip> openSound(const FrameEntry& frame) {
        const QString name = frame.soundFile;
        if (name.trimmed().isEmpty() || !WorkFolder::isBareFileName(name)) {
            return nullptr;
        }
        // A sound that is missing or will not play leaves the frame silent,
        // as in the player.
        return SoundClip::Open(pathOf(movie_, name), synth_);
    }

    // The clip from its start, until its end or `limit` sample frames.
    ExportResult playSound(SoundClip& clip, std::int64_t limit, MediaWriter* writer,
                           std::int64_t& played) {
        while (played < limit) {
            const int want = static_cast<int>(std::min<std::int64_t>(kBlockFrames, limit - played));
            const int got = clip.read(buffer_.data(), want);
            if (got <= 0) {
                break;
            }
            if (writer != nullptr) {
                if (ExportResult result = writer->AddSound(buffer_.data(), got); !result.ok()) {
                    return result;
                }
            }
            played += got;
            if (stopped()) {
                return {ExportProblem::Cancelled, {}};
            }
        }
        return {};
    }

    ExportResult silence(MediaWriter& writer, std::int64_t frames) {
        std::fill(buffer_.begin(), buffer_.end(), 0.0f);
        while (frames > 0) {
            const int count = static_cast<int>(std::min<std::int64_t>(kBlockFrames, frames));
            if (ExportResult result = writer.AddSound(buffer_.data(), count); !result.ok()) {
                return result;
            }
            frames -= count;
        }
        return {};
    }

    const MovieToExport& movie_;
    const ExportProgress& progress_;
    ExportFormat format_;
    MidiSynth synth_;
    std::vector<float> buffer_ = std::vector<float>(kBlockFrames * SoundClip::kChannels);
};

}  // namespace

ExportResult Export(const MovieToExport& movie, const QString& target,
                    const ExportProgress& progress) {
    const auto format = ExportFormats::ForPath(target);
    if (!format) {
        return {ExportProblem::UnknownFormat, target};
    }
    if (movie.frames.empty()) {
        return {ExportProblem::NoFrames, {}};
    }
    ExportResult problem;
    const auto size = videoSize(movie, problem);
    if (!size) {
        return problem;
    }
    QImage canvas(*size, QImage::Format_RGB32);
    if (canvas.isNull()) {
        return {ExportProblem::PictureTooLarge,
                QStringLiteral("%1x%2").arg(size->width()).arg(size->height())};
    }

    const bool withSound =
        *format != ExportFormat::Gif &&
        std::any_of(movie.frames.begin(), movie.frames.end(),
                    [](const FrameEntry& frame) { return !frame.soundFile.trimmed().isEmpty(); });
    const QByteArray targetName = QFile::encodeName(target);
    auto unfinished = ReplaceByRename::PendingFile::beside(targetName.toStdString());
    if (!unfinished.valid()) {
        return {ExportProblem::CannotWrite, target};
    }
    unfinished.keepModeOf(targetName.toStdString());
    const QString temporary = QFile::decodeName(unfinished.path().c_str());
    // Should the program end meanwhile (a signal, say), the unfinished file
    // goes with it.
    const ProgramEnd::ScopedHook atEnd([&unfinished] { unfinished.discard(); });
    ExportResult result;
    {
        const MediaWriter::Settings settings{*format, size->width(), size->height(), withSound,
                                             movie.loopFlag == 1};
        std::unique_ptr<MediaWriter> writer = MediaWriter::Open(temporary, settings, result);
        if (writer) {
            Run run(movie, progress, *format);
            result = run.frames(*writer, canvas, withSound);
        }
    }
    if (result.ok() &&
        !unfinished.commit(QFile::encodeName(QFileInfo(target).fileName()).toStdString())) {
        result = {ExportProblem::CannotWrite, target};
    }
    if (!result.ok()) {
        unfinished.discard();
        // Messages name the file the user chose, not our temporary one.
        if (result.subject == temporary) {
            result.subject = target;
        }
    }
    return result;
}

}  // namespace MovieExporter
