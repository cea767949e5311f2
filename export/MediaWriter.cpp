#include "MediaWriter.h"

#include "capture/ColourQuantiser.h"
#include "export/FfmpegHandles.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr int kSoundRate = 48000;

// Quality that keeps a screen capture's text sharp: a picture comes back
// above 40 dB PSNR. Slides change rarely, so the presets favour speed.
constexpr const char* kH264Preset = "veryfast";
constexpr const char* kH264Quality = "18";
constexpr const char* kVp9Quality = "24";
constexpr int kAacBitRate = 192000;
constexpr int kOpusBitRate = 128000;

bool isDiskFull(int error) {
    return error == AVERROR(ENOSPC) || error == AVERROR(EFBIG) || error == AVERROR(EDQUOT);
}

}  // namespace

struct MediaWriter::State {
    Settings settings;
    QString path;
    AVFormatContext* output = nullptr;
    Ffmpeg::Codec video;
    Ffmpeg::Codec audio;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    Ffmpeg::Scaler scaler;
    Ffmpeg::Frame videoFrame;
    Ffmpeg::Frame audioFrame;
    Ffmpeg::Packet packet;
    // The newest picture's packet, written once the next one tells how
    // long it lasts.
    Ffmpeg::Packet held;
    bool holding = false;
    std::vector<float> sound;  // interleaved samples not yet encoded
    std::int64_t samplesSent = 0;

    ~State() {
        if (output != nullptr) {
            if (output->pb != nullptr) {
                avio_closep(&output->pb);
            }
            avformat_free_context(output);
        }
    }

    ExportResult failure(int error, ExportProblem otherwise) const {
        if (isDiskFull(error)) {
            return {ExportProblem::DiskFull, path};
        }
        if (otherwise == ExportProblem::CannotWrite) {
            return {ExportProblem::CannotWrite, path};
        }
        return {otherwise, Ffmpeg::ErrorText(error)};
    }

    // Samples held back from the end of the track: WebM counts Opus's
    // priming into the track's time, so as many are dropped at its end, and
    // the file lasts as long as its pictures.
    int reserved() const {
        return settings.format == ExportFormat::WebM && audio ? audio->initial_padding : 0;
    }

    // Samples per encoded piece of sound; 1024 for an encoder that takes any.
    int frameSize() const { return audio->frame_size > 0 ? audio->frame_size : 1024; }

    ExportResult write(AVPacket* packet, const AVCodecContext& codec, AVStream* stream) {
        if (stream == audioStream && settings.format == ExportFormat::WebM) {
            // Matroska subtracts the priming (its CodecDelay) from the stored
            // times; FFmpeg's encoder has already taken it off.
            packet->pts += codec.initial_padding;
            packet->dts += codec.initial_padding;
        }
        av_packet_rescale_ts(packet, codec.time_base, stream->time_base);
        packet->stream_index = stream->index;
        const int written = av_interleaved_write_frame(output, packet);
        if (written < 0) {
            return failure(written, ExportProblem::CannotWrite);
        }
        return {};
    }

    // Takes every packet the video encoder has ready.
    ExportResult drainVideo() {
        while (true) {
            const int received = avcodec_receive_packet(video.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return {};
            }
            if (received < 0) {
                return failure(received, ExportProblem::EncoderFailed);
            }
            if (holding) {
                held->duration = packet->pts - held->pts;
                if (ExportResult result = write(held.get(), *video, videoStream); !result.ok()) {
                    return result;
                }
            }
            av_packet_unref(held.get());
            av_packet_move_ref(held.get(), packet.get());
            holding = true;
        }
    }

    ExportResult drainAudio() {
        while (true) {
            const int received = avcodec_receive_packet(audio.get(), packet.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) {
                return {};
            }
            if (received < 0) {
                return failure(received, ExportProblem::EncoderFailed);
            }
            ExportResult result = write(packet.get(), *audio, audioStream);
            av_packet_unref(packet.get());
            if (!result.ok()) {
                return result;
            }
        }
    }

    // Encodes `count` samples from the front of `sound` (the last piece of
    // the track may be short; `padTo` fills it with silence).
    ExportResult encodeSound(int count, int padTo) {
        AVFrame* frame = audioFrame.get();
        av_frame_unref(frame);
        frame->format = audio->sample_fmt;
        frame->sample_rate = kSoundRate;
        frame->nb_samples = std::max(count, padTo);
        if (av_channel_layout_copy(&frame->ch_layout, &audio->ch_layout) < 0 ||
            av_frame_get_buffer(frame, 0) < 0) {
            return {ExportProblem::EncoderFailed, QStringLiteral("audio frame")};
        }
        const float* from = sound.data();
        if (audio->sample_fmt == AV_SAMPLE_FMT_FLTP) {
            auto* left = reinterpret_cast<float*>(frame->data[0]);
            auto* right = reinterpret_cast<float*>(frame->data[1]);
            for (int i = 0; i < frame->nb_samples; ++i) {
                left[i] = i < count ? from[2 * i] : 0.0f;
                right[i] = i < count ? from[2 * i + 1] : 0.0f;
            }
        } else {
            auto* both = reinterpret_cast<float*>(frame->data[0]);
            std::fill(both, both + 2 * frame->nb_samples, 0.0f);
            std::copy(from, from + 2 * count, both);
        }
        sound.erase(sound.begin(), sound.begin() + 2 * count);
        frame->pts = samplesSent;
        samplesSent += count;
        const int sent = avcodec_send_frame(audio.get(), frame);
        if (sent < 0) {
            return failure(sent, ExportProblem::EncoderFailed);
        }
        return drainAudio();
    }
};

int MediaWriter::TicksPerSecond(ExportFormat format) {
    return format == ExportFormat::Gif ? 100 : 1000;
}

std::int64_t MediaWriter::LongestPicture(ExportFormat format) {
    return format == ExportFormat::Gif ? 65535 : std::numeric_limits<std::int64_t>::max();
}

MediaWriter::MediaWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}
MediaWriter::~MediaWriter() = default;

namespace {

// Opens the encoder set up in `c` and gives the file a stream of its
// output, in the encoder's time base. Nothing when either fails.
AVStream* openStream(AVFormatContext* output, AVCodecContext& c, const AVCodec* codec,
                     AVDictionary** options) {
    if (output->oformat->flags & AVFMT_GLOBALHEADER) {
        c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(&c, codec, options) < 0) {
        return nullptr;
    }
    AVStream* stream = avformat_new_stream(output, nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, &c) < 0) {
        return nullptr;
    }
    stream->time_base = c.time_base;
    return stream;
}

bool openVideo(MediaWriter::State& s, const MediaWriter::Settings& settings) {
    const bool gif = settings.format == ExportFormat::Gif;
    const char* name = settings.format == ExportFormat::Mp4    ? "libx264"
                       : settings.format == ExportFormat::WebM ? "libvpx-vp9"
                                                               : "gif";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (codec == nullptr) {
        return false;
    }
    s.video.reset(avcodec_alloc_context3(codec));
    if (!s.video) {
        return false;
    }
    AVCodecContext& c = *s.video;
    c.width = settings.width;
    c.height = settings.height;
    c.time_base = AVRational{1, MediaWriter::TicksPerSecond(settings.format)};
    c.sample_aspect_ratio = AVRational{1, 1};
    AVDictionary* options = nullptr;
    if (gif) {
        c.pix_fmt = AV_PIX_FMT_PAL8;
        // Every frame whole, with its own colours: no cropping to what
        // changed, no transparency.
        av_dict_set(&options, "gifflags", "0", 0);
    } else {
        c.pix_fmt = AV_PIX_FMT_YUV420P;
        c.color_range = AVCOL_RANGE_MPEG;
        c.colorspace = AVCOL_SPC_BT709;
        c.color_primaries = AVCOL_PRI_BT709;
        c.color_trc = AVCOL_TRC_BT709;
        // A slide is held, not moved: no reordering, and a key picture now
        // and then so that players can seek.
        c.max_b_frames = 0;
        c.gop_size = 30;
        c.thread_count = 0;
        if (settings.format == ExportFormat::Mp4) {
            av_dict_set(&options, "preset", kH264Preset, 0);
            av_dict_set(&options, "crf", kH264Quality, 0);
        } else {
            c.bit_rate = 0;
            av_dict_set(&options, "crf", kVp9Quality, 0);
            av_dict_set(&options, "deadline", "good", 0);
            av_dict_set(&options, "cpu-used", "5", 0);
            av_dict_set(&options, "row-mt", "1", 0);
            av_dict_set(&options, "lag-in-frames", "0", 0);
        }
    }
    s.videoStream = openStream(s.output, c, codec, &options);
    av_dict_free(&options);
    if (s.videoStream == nullptr) {
        return false;
    }
    s.videoFrame.reset(av_frame_alloc());
    if (!s.videoFrame) {
        return false;
    }
    AVFrame& frame = *s.videoFrame;
    frame.format = c.pix_fmt;
    frame.width = c.width;
    frame.height = c.height;
    if (av_frame_get_buffer(&frame, 0) < 0) {
        return false;
    }
    if (!gif) {
        s.scaler.reset(sws_getContext(c.width, c.height, AV_PIX_FMT_RGB32, c.width, c.height,
                                      AV_PIX_FMT_YUV420P, SWS_BICUBIC | SWS_ACCURATE_RND, nullptr,
                                      nullptr, nullptr));
        if (!s.scaler) {
            return false;
        }
        // Screen pixels are full-range RGB; the video is BT.709, limited range,
        // as it is flagged.
        const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
        sws_setColorspaceDetails(s.scaler.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
    }
    return true;
}

bool openAudio(MediaWriter::State& s, ExportFormat format) {
    const AVCodec* codec =
        avcodec_find_encoder_by_name(format == ExportFormat::Mp4 ? "aac" : "libopus");
    if (codec == nullptr) {
        return false;
    }
    s.audio.reset(avcodec_alloc_context3(codec));
    if (!s.audio) {
        return false;
    }
    AVCodecContext& c = *s.audio;
    c.sample_rate = kSoundRate;
    c.ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    c.bit_rate = format == ExportFormat::Mp4 ? kAacBitRate : kOpusBitRate;
    c.time_base = AVRational{1, kSoundRate};
    c.sample_fmt = AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* f = codec->sample_fmts; f != nullptr && *f != AV_SAMPLE_FMT_NONE;
         ++f) {
        if (*f == AV_SAMPLE_FMT_FLTP || *f == AV_SAMPLE_FMT_FLT) {
            c.sample_fmt = *f;
            break;
        }
    }
    if (c.sample_fmt == AV_SAMPLE_FMT_NONE) {
        return false;
    }
    s.audioStream = openStream(s.output, c, codec, nullptr);
    if (s.audioStream == nullptr) {
        return false;
    }
    s.audioFrame.reset(av_frame_alloc());
    return s.audioFrame != nullptr;
}

}  // namespace

std::unique_ptr<MediaWriter> MediaWriter::Open(const QString& path, const Settings& settings,
                                               ExportResult& problem) {
    av_log_set_level(AV_LOG_QUIET);
    auto state = std::make_unique<State>();
    state->settings = settings;
    state->path = path;
    const char* muxer = settings.format == ExportFormat::Mp4    ? "mp4"
                        : settings.format == ExportFormat::WebM ? "webm"
                                                                : "gif";
    const QByteArray file = QFile::encodeName(path);
    if (avformat_alloc_output_context2(&state->output, nullptr, muxer, file.constData()) < 0) {
        problem = {ExportProblem::EncoderFailed, QString::fromLatin1(muxer)};
        return nullptr;
    }
    // Audio waits for the picture it belongs with, however long a frame is.
    state->output->max_interleave_delta = 0;
    state->packet.reset(av_packet_alloc());
    state->held.reset(av_packet_alloc());
    if (!state->packet || !state->held || !openVideo(*state, settings)) {
        problem = {ExportProblem::EncoderFailed, QStringLiteral("video")};
        return nullptr;
    }
    if (settings.withSound && settings.format != ExportFormat::Gif &&
        !openAudio(*state, settings.format)) {
        problem = {ExportProblem::EncoderFailed, QStringLiteral("audio")};
        return nullptr;
    }
    const int opened = avio_open(&state->output->pb, file.constData(), AVIO_FLAG_WRITE);
    if (opened < 0) {
        problem = state->failure(opened, ExportProblem::CannotWrite);
        return nullptr;
    }
    AVDictionary* options = nullptr;
    if (settings.format == ExportFormat::Mp4) {
        // The index first, so that a browser plays the file while it loads.
        av_dict_set(&options, "movflags", "+faststart", 0);
    } else if (settings.format == ExportFormat::Gif) {
        av_dict_set(&options, "loop", settings.loop ? "0" : "-1", 0);
    }
    const int header = avformat_write_header(state->output, &options);
    av_dict_free(&options);
    if (header < 0) {
        problem = state->failure(header, ExportProblem::CannotWrite);
        return nullptr;
    }
    return std::unique_ptr<MediaWriter>(new MediaWriter(std::move(state)));
}

ExportResult MediaWriter::AddPicture(const QImage& picture, std::int64_t start) {
    State& s = *state_;
    AVFrame* frame = s.videoFrame.get();
    if (av_frame_make_writable(frame) < 0) {
        return {ExportProblem::EncoderFailed, QStringLiteral("video frame")};
    }
    if (s.settings.format == ExportFormat::Gif) {
        const QImage indexed = ColourQuantiser::Quantise(picture, 256);
        if (indexed.isNull()) {
            return {ExportProblem::EncoderFailed, QStringLiteral("colours")};
        }
        for (int y = 0; y < indexed.height(); ++y) {
            std::memcpy(frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0],
                        indexed.constScanLine(y), static_cast<size_t>(indexed.width()));
        }
        auto* palette = reinterpret_cast<std::uint32_t*>(frame->data[1]);
        const QList<QRgb> table = indexed.colorTable();
        for (int i = 0; i < 256; ++i) {
            // Unused entries opaque too: an entry without alpha reads as
            // transparent to the encoder.
            palette[i] = i < table.size() ? (table[i] | 0xFF000000u) : 0xFF000000u;
        }
    } else {
        const QImage rgb = picture.format() == QImage::Format_RGB32
                               ? picture
                               : picture.convertToFormat(QImage::Format_RGB32);
        const uint8_t* planes[1] = {rgb.constBits()};
        const int strides[1] = {static_cast<int>(rgb.bytesPerLine())};
        sws_scale(s.scaler.get(), planes, strides, 0, rgb.height(), frame->data, frame->linesize);
    }
    frame->pts = start;
    const int sent = avcodec_send_frame(s.video.get(), frame);
    if (sent < 0) {
        return s.failure(sent, ExportProblem::EncoderFailed);
    }
    return s.drainVideo();
}

ExportResult MediaWriter::AddSound(const float* samples, int frames) {
    State& s = *state_;
    if (!s.audio) {
        return {};
    }
    s.sound.insert(s.sound.end(), samples, samples + 2 * static_cast<size_t>(frames));
    const int frameSize = s.frameSize();
    while (s.sound.size() >= 2 * static_cast<size_t>(frameSize + s.reserved())) {
        if (ExportResult result = s.encodeSound(frameSize, frameSize); !result.ok()) {
            return result;
        }
    }
    return {};
}

ExportResult MediaWriter::Finish(std::int64_t end) {
    State& s = *state_;
    if (s.audio) {
        const size_t dropped = std::min(s.sound.size(), 2 * static_cast<size_t>(s.reserved()));
        s.sound.resize(s.sound.size() - dropped);
        if (!s.sound.empty()) {
            const bool shortLast = s.audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
            const int count = static_cast<int>(s.sound.size() / 2);
            if (ExportResult result = s.encodeSound(count, shortLast ? count : s.frameSize());
                !result.ok()) {
                return result;
            }
        }
        avcodec_send_frame(s.audio.get(), nullptr);
        if (ExportResult result = s.drainAudio(); !result.ok()) {
            return result;
        }
    }
    avcodec_send_frame(s.video.get(), nullptr);
    if (ExportResult result = s.drainVideo(); !result.ok()) {
        return result;
    }
    if (s.holding) {
        s.held->duration = end - s.held->pts;
        if (s.settings.format == ExportFormat::Gif) {
            // The GIF muxer takes the last picture's delay from its option.
            av_opt_set_int(s.output->priv_data, "final_delay", s.held->duration, 0);
        }
        if (ExportResult result = s.write(s.held.get(), *s.video, s.videoStream); !result.ok()) {
            return result;
        }
        s.holding = false;
    }
    const int trailer = av_write_trailer(s.output);
    if (trailer < 0) {
        return s.failure(trailer, ExportProblem::CannotWrite);
    }
    const int closed = avio_closep(&s.output->pb);
    if (closed < 0) {
        return s.failure(closed, ExportProblem::CannotWrite);
    }
    return {};
}
