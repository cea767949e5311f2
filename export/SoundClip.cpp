#include "SoundClip.h"

#include "export/FfmpegHandles.h"
#include "export/MidiSynth.h"
#include "player/MidiFile.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace {

// The same bound the player puts on a MIDI file it reads whole.
constexpr qint64 kLargestMidiFile = 16 * 1024 * 1024;

// The kinds of file SDL_mixer's WAV loader plays, by FFmpeg's demuxer
// names. A sound comes from a package, so nothing else is probed: above
// all no playlist that would make FFmpeg open other files.
constexpr const char* kSoundFormats = "wav,w64,aiff,voc,ogg,mp3,flac";

// A sound decoded by FFmpeg and brought to 48 kHz stereo, a piece at a time.
class DecodedClip final : public SoundClip {
public:
    static std::unique_ptr<DecodedClip> Open(const QString& path) {
        auto clip = std::unique_ptr<DecodedClip>(new DecodedClip());
        AVDictionary* options = nullptr;
        av_dict_set(&options, "protocol_whitelist", "file", 0);
        av_dict_set(&options, "format_whitelist", kSoundFormats, 0);
        AVFormatContext* input = nullptr;
        const int opened =
            avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, &options);
        av_dict_free(&options);
        if (opened < 0) {
            return nullptr;
        }
        clip->input_.reset(input);
        if (avformat_find_stream_info(input, nullptr) < 0) {
            return nullptr;
        }
        const AVCodec* codec = nullptr;
        clip->stream_ = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
        if (clip->stream_ < 0 || codec == nullptr) {
            return nullptr;
        }
        clip->decoder_.reset(avcodec_alloc_context3(codec));
        if (!clip->decoder_ ||
            avcodec_parameters_to_context(clip->decoder_.get(),
                                          input->streams[clip->stream_]->codecpar) < 0 ||
            avcodec_open2(clip->decoder_.get(), codec, nullptr) < 0) {
            return nullptr;
        }
        clip->packet_.reset(av_packet_alloc());
        clip->frame_.reset(av_frame_alloc());
        if (!clip->packet_ || !clip->frame_) {
            return nullptr;
        }
        return clip;
    }

    int read(float* out, int frames) override {
        int done = 0;
        while (done < frames) {
            const size_t available = (pending_.size() - taken_) / kChannels;
            if (available == 0) {
                if (!decodeMore()) {
                    break;
                }
                continue;
            }
            const size_t count = std::min<size_t>(available, static_cast<size_t>(frames - done));
            std::memcpy(out + static_cast<size_t>(done) * kChannels, pending_.data() + taken_,
                        count * kChannels * sizeof(float));
            taken_ += count * kChannels;
            done += static_cast<int>(count);
        }
        return done;
    }

private:
    DecodedClip() = default;

    // The converter, made from the first decoded piece: a mono sound goes to
    // both sides at full level, as SDL plays it.
    bool prepareResampler(const AVFrame& frame) {
        AVChannelLayout inLayout{};
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || frame.ch_layout.nb_channels <= 0) {
            av_channel_layout_default(&inLayout, std::max(frame.ch_layout.nb_channels, 1));
        } else if (av_channel_layout_copy(&inLayout, &frame.ch_layout) < 0) {
            return false;
        }
        AVChannelLayout outLayout = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* resampler = nullptr;
        const int made = swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_FLT, kRate,
                                             &inLayout, static_cast<AVSampleFormat>(frame.format),
                                             frame.sample_rate, 0, nullptr);
        resampler_.reset(resampler);
        const int inChannels = inLayout.nb_channels;
        av_channel_layout_uninit(&inLayout);
        if (made < 0 || !resampler_) {
            return false;
        }
        if (inChannels == 1) {
            const double both[2] = {1.0, 1.0};
            swr_set_matrix(resampler, both, 1);
        }
        format_ = frame.format;
        rate_ = frame.sample_rate;
        channels_ = frame.ch_layout.nb_channels;
        return swr_init(resampler) >= 0;
    }

    // Converts n input samples (none to drain the converter) onto pending_.
    bool convert(const uint8_t** data, int samples) {
        const int room = swr_get_out_samples(resampler_.get(), samples);
        if (room < 0) {
            return false;
        }
        if (taken_ > 0) {
            pending_.erase(pending_.begin(),
                           pending_.begin() + static_cast<std::ptrdiff_t>(taken_));
            taken_ = 0;
        }
        const size_t start = pending_.size();
        pending_.resize(start + static_cast<size_t>(room) * kChannels);
        auto* target = reinterpret_cast<uint8_t*>(pending_.data() + start);
        const int made = swr_convert(resampler_.get(), &target, room, data, samples);
        pending_.resize(start + static_cast<size_t>(std::max(made, 0)) * kChannels);
        return made >= 0;
    }

    // Decodes the next piece onto pending_; false once the sound has ended.
    // A damaged stream ends the sound where it breaks.
    bool decodeMore() {
        while (!ended_) {
            const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
            if (received == 0) {
                const AVFrame& frame = *frame_;
                bool fine = true;
                if (!resampler_) {
                    fine = prepareResampler(frame);
                } else if (frame.format != format_ || frame.sample_rate != rate_ ||
                           frame.ch_layout.nb_channels != channels_) {
                    fine = false;  // a sound that changes its form midway ends there
                }
                fine = fine &&
                       convert(const_cast<const uint8_t**>(frame.extended_data), frame.nb_samples);
                av_frame_unref(frame_.get());
                if (!fine) {
                    return finish();
                }
                return true;
            }
            if (received != AVERROR(EAGAIN)) {
                return finish();
            }
            if (inputEnded_) {
                return finish();
            }
            if (av_read_frame(input_.get(), packet_.get()) < 0) {
                inputEnded_ = true;
                avcodec_send_packet(decoder_.get(), nullptr);
                continue;
            }
            if (packet_->stream_index == stream_) {
                // A packet the decoder refuses is skipped, as players do.
                avcodec_send_packet(decoder_.get(), packet_.get());
            }
            av_packet_unref(packet_.get());
        }
        return false;
    }

    // Drains what the converter still holds; true when that gave samples.
    bool finish() {
        ended_ = true;
        if (!resampler_) {
            return false;
        }
        const size_t before = pending_.size() - taken_;
        convert(nullptr, 0);
        return pending_.size() - taken_ > before;
    }

    Ffmpeg::Input input_;
    Ffmpeg::Codec decoder_;
    Ffmpeg::Resampler resampler_;
    Ffmpeg::Packet packet_;
    Ffmpeg::Frame frame_;
    int stream_ = -1;
    int format_ = -1;
    int rate_ = 0;
    int channels_ = 0;
    bool inputEnded_ = false;
    bool ended_ = false;
    std::vector<float> pending_;
    size_t taken_ = 0;
};

}  // namespace

std::unique_ptr<SoundClip> SoundClip::Open(const QString& path, MidiSynth& synth) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    const QByteArray head = file.peek(12);
    if (!MidiFile::looksLikeMidi(std::span(reinterpret_cast<const std::uint8_t*>(head.constData()),
                                           static_cast<std::size_t>(head.size())))) {
        file.close();
        return DecodedClip::Open(path);
    }
    if (file.size() > kLargestMidiFile) {
        return nullptr;
    }
    const QByteArray midi = file.readAll();
    const auto length =
        MidiFile::playingTime(std::span(reinterpret_cast<const std::uint8_t*>(midi.constData()),
                                        static_cast<std::size_t>(midi.size())));
    if (!length) {
        return nullptr;
    }
    return synth.Play(midi, *length);
}
