#pragma once

#include <array>
#include <cstdint>
#include <vector>

using Colour = std::array<float, 3>;

inline Colour ChannelsOf(uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF), static_cast<float>((rgb >> 8) & 0xFF),
            static_cast<float>(rgb & 0xFF)};
}

inline float Distance(const Colour& a, const Colour& b) {
    const float d0 = a[0] - b[0];
    const float d1 = a[1] - b[1];
    const float d2 = a[2] - b[2];
    return d0 * d0 + d1 * d1 + d2 * d2;
}

// Nearest palette entry through grids over colour space: each cell keeps,
// nearest first, only the entries that can be the nearest to some colour
// inside it, so a search looks at a handful of entries instead of all of
// them. Each grid halves the cells of the one above it and fills a cell
// from its parent's list, only when first asked for.
class NearestColour {
public:
    explicit NearestColour(const std::vector<Colour>& palette);

    // The index of the palette entry nearest to the colour (channels 0..255).
    int find(const Colour& colour);

private:
    static constexpr int kLevels = 3;
    static constexpr int kFineBits = 5;  // the last level; each level above has one bit less
    static constexpr int kFineSide = 256 >> kFineBits;

    struct Candidate {
        float closest;  // squared distance from the entry to the cell
        int index;
        Colour colour;
    };
    struct Cell {
        int begin = -1;
        int count = 0;
    };

    static constexpr int BitsOf(int level) { return kFineBits - (kLevels - 1 - level); }
    static int Level(float value);
    const Cell& cellAt(int level, const std::array<int, 3>& fine);
    Cell fill(const std::array<int, 3>& corner, int side, Cell parent);

    std::array<std::vector<Cell>, kLevels> cells_;
    Cell root_;
    std::vector<Candidate> pool_;
    std::vector<Candidate> scratch_;
};
