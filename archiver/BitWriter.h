#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha {

// Writes bits most significant first, as the LHA bit stream wants them.
class BitWriter {
public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    // Writes the low `count` bits of `value` (count at most 32).
    void put(unsigned count, std::uint32_t value) {
        if (count == 0) {
            return;
        }
        bits_ = (bits_ << count) | (value & ((std::uint64_t{1} << count) - 1));
        pending_ += count;
        if (pending_ >= 32) {
            pending_ -= 32;
            const auto word = static_cast<std::uint32_t>(bits_ >> pending_);
            out_.push_back(static_cast<std::uint8_t>(word >> 24));
            out_.push_back(static_cast<std::uint8_t>(word >> 16));
            out_.push_back(static_cast<std::uint8_t>(word >> 8));
            out_.push_back(static_cast<std::uint8_t>(word));
        }
    }

    // Pads the last byte with zero bits.
    void flush() {
        while (pending_ >= 8) {
            pending_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(bits_ >> pending_));
        }
        if (pending_ > 0) {
            out_.push_back(static_cast<std::uint8_t>(bits_ << (8 - pending_)));
            pending_ = 0;
        }
        bits_ = 0;
    }

    // Bytes written so far, counting a partly filled last byte.
    std::size_t size() const { return out_.size() + (pending_ + 7) / 8; }

private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t bits_ = 0;
    unsigned pending_ = 0;
};

}  // namespace lha
