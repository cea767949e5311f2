#include "MidiFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace MidiFile {
namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint32_t defaultTempo = 500000;  // microseconds per quarter note, 120 bpm

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

bool hasTag(Bytes data, std::size_t at, const char* tag) {
    return data.size() >= at + 4 && std::memcmp(data.data() + at, tag, 4) == 0;
}

std::uint32_t bigEndian(Bytes data, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        value = (value << 8) | data[at + i];
    }
    return value;
}

std::uint32_t littleEndian32(Bytes data, std::size_t at) {
    return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
           (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

// The SMF inside a RIFF "RMID" file is its "data" chunk; a bare SMF is itself.
std::optional<Bytes> standardMidiFile(Bytes data) {
    if (hasTag(data, 0, "MThd")) {
        return data;
    }
    if (!hasTag(data, 0, "RIFF") || !hasTag(data, 8, "RMID")) {
        return std::nullopt;
    }
    std::size_t at = 12;
    while (at + 8 <= data.size()) {
        std::uint32_t length = littleEndian32(data, at + 4);
        if (length > data.size() - at - 8) {
            return std::nullopt;
        }
        if (hasTag(data, at, "data")) {
            return data.subspan(at + 8, length);
        }
        at += 8 + length + (length & 1);  // RIFF chunks are padded to even sizes
    }
    return std::nullopt;
}

class TrackReader {
public:
    explicit TrackReader(Bytes track) : track_(track) {}

    bool atEnd() const { return at_ >= track_.size(); }

    std::optional<std::uint32_t> variableLength() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (atEnd()) {
                return std::nullopt;
            }
            std::uint8_t byte = track_[at_++];
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) {
                return value;
            }
        }
        return std::nullopt;  // more than four bytes: not a valid quantity
    }

    std::optional<std::uint8_t> byte() {
        if (atEnd()) {
            return std::nullopt;
        }
        return track_[at_++];
    }

    std::optional<Bytes> bytes(std::uint32_t count) {
        if (count > track_.size() - at_) {
            return std::nullopt;
        }
        Bytes taken = track_.subspan(at_, count);
        at_ += count;
        return taken;
    }

private:
    Bytes track_;
    std::size_t at_ = 0;
};

// Walks one track; returns the tick at which it ends and adds its tempo
// changes. A track without an end-of-track event ends with its last event.
std::optional<std::uint64_t> readTrack(Bytes track, std::vector<TempoChange>& tempos) {
    TrackReader reader(track);
    std::uint64_t tick = 0;
    std::uint8_t runningStatus = 0;
    while (!reader.atEnd()) {
        auto delta = reader.variableLength();
        auto first = delta ? reader.byte() : std::nullopt;
        if (!first) {
            return std::nullopt;
        }
        tick += *delta;
        std::uint8_t status = *first;
        bool dataAlreadyRead = false;
        if (status < 0x80) {
            if (runningStatus == 0) {
                return std::nullopt;  // data byte with no status to repeat
            }
            status = runningStatus;
            dataAlreadyRead = true;
        }
        if (status < 0xF0) {
            runningStatus = status;
            int dataBytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
            if (!reader.bytes(dataBytes - (dataAlreadyRead ? 1 : 0))) {
                return std::nullopt;
            }
        } else if (status == 0xFF) {
            auto type = reader.byte();
            auto length = type ? reader.variableLength() : std::nullopt;
            auto payload = length ? reader.bytes(*length) : std::nullopt;
            if (!payload) {
                return std::nullopt;
            }
            // A meta event cancels running status; the synthesiser refuses a
            // track that relies on it, so it counts as damaged here too.
            runningStatus = 0;
            if (*type == 0x2F) {
                return payload->empty() ? std::optional(tick) : std::nullopt;
            }
            if (*type == 0x51) {
                if (payload->size() != 3) {
                    return std::nullopt;
                }
                std::uint32_t tempo = bigEndian(*payload, 0, 3);
                if (tempo > 0) {
                    tempos.push_back({tick, tempo});
                }
            }
        } else if (status == 0xF0 || status == 0xF7) {
            auto length = reader.variableLength();
            if (!length || !reader.bytes(*length)) {
                return std::nullopt;
            }
            runningStatus = 0;
        } else {
            return std::nullopt;  // real-time and common messages have no place in a file
        }
    }
    return tick;
}

}  // namespace

bool looksLikeMidi(std::span<const std::uint8_t> data) {
    return hasTag(data, 0, "MThd") || (hasTag(data, 0, "RIFF") && hasTag(data, 8, "RMID"));
}

std::optional<std::chrono::microseconds> playingTime(std::span<const std::uint8_t> data) {
    auto smf = standardMidiFile(data);
    if (!smf || smf->size() < 14) {
        return std::nullopt;
    }
    std::uint32_t headerLength = bigEndian(*smf, 4, 4);
    if (headerLength < 6 || headerLength > smf->size() - 8) {
        return std::nullopt;
    }
    std::uint32_t trackCount = bigEndian(*smf, 10, 2);
    std::uint32_t division = bigEndian(*smf, 12, 2);
    if (trackCount == 0 || division == 0) {
        return std::nullopt;
    }

    std::vector<TempoChange> tempos;
    std::uint64_t endTick = 0;
    std::uint32_t tracksRead = 0;
    std::size_t at = 8 + headerLength;
    while (tracksRead < trackCount && at + 8 <= smf->size()) {
        std::uint32_t length = bigEndian(*smf, at + 4, 4);
        if (length > smf->size() - at - 8) {
            return std::nullopt;
        }
        if (hasTag(*smf, at, "MTrk")) {
            auto trackEnd = readTrack(smf->subspan(at + 8, length), tempos);
            if (!trackEnd) {
                return std::nullopt;
            }
            endTick = std::max(endTick, *trackEnd);
            ++tracksRead;
        }
        at += 8 + length;  // chunks of other types are skipped, as the format allows
    }
    if (tracksRead < trackCount) {
        return std::nullopt;
    }

    double microseconds = 0;
    if (division & 0x8000) {
        // SMPTE time: frames per second in the high byte (negated), ticks per frame below.
        int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
        double ticksPerFrame = division & 0xFF;
        double fps = framesPerSecond == 29 ? 29.97 : framesPerSecond;
        if (fps <= 0 || ticksPerFrame == 0) {
            return std::nullopt;
        }
        microseconds = static_cast<double>(endTick) * 1e6 / (fps * ticksPerFrame);
    } else {
        // A tempo change in any track holds for all of them from its tick on.
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        std::uint64_t tick = 0;
        std::uint32_t tempo = defaultTempo;
        for (const TempoChange& change : tempos) {
            if (change.tick >= endTick) {
                break;
            }
            microseconds += static_cast<double>(change.tick - tick) * tempo / division;
            tick = change.tick;
            tempo = change.microsecondsPerQuarter;
        }
        microseconds += static_cast<double>(endTick - tick) * tempo / division;
    }
    // A damaged delta time can make the sum absurd; a century is long enough.
    microseconds = std::min(microseconds, 100.0 * 365 * 24 * 3600 * 1e6);
    return std::chrono::microseconds(static_cast<std::int64_t>(microseconds + 0.5));
}

}  // namespace MidiFile
