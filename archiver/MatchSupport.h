// Pieces both match finders share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace lha {

inline std::uint64_t Load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// A match a finder reports: `length` bytes found `distance` back.
struct Match {
    unsigned length;
    unsigned distance;
};

// Bytes `a` and `b` have in common, counting on from `from` (already known
// equal) up to `limit`; `a + limit` must lie inside the input, `b` before a.
inline unsigned MatchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t from,
                            std::size_t limit) {
    std::size_t n = from;
    while (n + 8 <= limit) {
        const std::uint64_t diff = Load64(a + n) ^ Load64(b + n);
        if (diff != 0) {
            return static_cast<unsigned>(n + static_cast<std::size_t>(__builtin_ctzll(diff)) / 8);
        }
        n += 8;
    }
    while (n < limit && a[n] == b[n]) {
        ++n;
    }
    return static_cast<unsigned>(n);
}

// Screen captures are 24-bit pictures.
inline constexpr std::size_t kPixel = 3;

// Finds positions well inside a run of one repeated pixel (or byte). Such
// positions stay out of the match tree: the run distances below find the
// run itself, and a tree full of them would hide the edges where other
// matches start. (The hash chains keep them: leaving them out there gains
// 0.2% for a third more time.) Positions must be asked in increasing order, so the scan
// for a run's end moves forward only.
class FlatRuns {
public:
    static constexpr std::size_t kInside = 16;

    explicit FlatRuns(std::span<const std::uint8_t> data)
        : data_(data.data()), size_(data.size()) {}

    bool inside(std::size_t pos) {
        if (end_ < pos) {
            end_ = pos;
        }
        const std::size_t last = size_ < kPixel ? 0 : size_ - kPixel;
        while (end_ < last && end_ - pos < kInside && data_[end_] == data_[end_ + kPixel]) {
            ++end_;
        }
        return end_ - pos >= kInside;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t end_ = 0;
};

// A run of one pixel or byte: the distances that find the positions
// FlatRuns leaves out.
inline constexpr unsigned kRunDistances[2] = {kPixel, 1};

}  // namespace lha
