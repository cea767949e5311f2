#include "NearestColour.h"

#include <algorithm>
#include <cmath>
#include <limits>

NearestColour::NearestColour(const std::vector<Colour>& palette) {
    for (int level = 0; level < kLevels; ++level) {
        cells_[static_cast<size_t>(level)].assign(size_t{1} << (3 * BitsOf(level)), Cell{});
    }
    for (size_t i = 0; i < palette.size(); ++i) {
        pool_.push_back({0, static_cast<int>(i), palette[i]});
    }
    root_ = Cell{0, static_cast<int>(palette.size())};
}

int NearestColour::find(const Colour& colour) {
    const std::array<int, 3> fine{Level(colour[0]), Level(colour[1]), Level(colour[2])};
    const Cell& cell = cellAt(kLevels - 1, fine);
    const Candidate* candidates = pool_.data() + cell.begin;
    float best = std::numeric_limits<float>::max();
    int bestIndex = cell.count > 0 ? candidates[0].index : 0;
    for (int i = 0; i < cell.count; ++i) {
        if (candidates[i].closest >= best) {
            break;
        }
        const float d = Distance(colour, candidates[i].colour);
        if (d < best) {
            best = d;
            bestIndex = candidates[i].index;
        }
    }
    return bestIndex;
}

int NearestColour::Level(float value) {
    return std::clamp(static_cast<int>(value) / kFineSide, 0, (1 << kFineBits) - 1);
}

const NearestColour::Cell& NearestColour::cellAt(int level, const std::array<int, 3>& fine) {
    const int bits = BitsOf(level);
    const int up = kFineBits - bits;
    const std::array<int, 3> at{fine[0] >> up, fine[1] >> up, fine[2] >> up};
    Cell& cell = cells_[static_cast<size_t>(level)]
                       [static_cast<size_t>(at[0] << (2 * bits) | at[1] << bits | at[2])];
    if (cell.begin < 0) {
        const Cell parent = level == 0 ? root_ : cellAt(level - 1, fine);
        cell = fill({at[0] << up, at[1] << up, at[2] << up}, 1 << up, parent);
    }
    return cell;
}

// Chooses from the parent's candidates those that may be nearest to some
// colour in the cell whose corner is `corner` and side `side` (in fine cells).
NearestColour::Cell NearestColour::fill(const std::array<int, 3>& corner, int side, Cell parent) {
    scratch_.clear();
    float bound = std::numeric_limits<float>::max();
    const float extent = static_cast<float>(side * kFineSide);
    for (int i = 0; i < parent.count; ++i) {
        const Candidate& from = pool_[static_cast<size_t>(parent.begin + i)];
        float closest = 0;
        float farthest = 0;
        for (size_t c = 0; c < 3; ++c) {
            const float low = static_cast<float>(corner[c] * kFineSide) - from.colour[c];
            const float high = low + extent;
            const float near = low > 0 ? low : (high < 0 ? -high : 0.0f);
            const float far = std::max(std::abs(low), std::abs(high));
            closest += near * near;
            farthest += far * far;
        }
        bound = std::min(bound, farthest);
        scratch_.push_back({closest, from.index, from.colour});
    }
    // No colour in the cell is farther from its nearest entry than the
    // smallest farthest distance, so entries beyond it never win.
    std::erase_if(scratch_, [bound](const Candidate& c) { return c.closest > bound; });
    std::sort(scratch_.begin(), scratch_.end(),
              [](const Candidate& a, const Candidate& b) { return a.closest < b.closest; });
    const Cell cell{static_cast<int>(pool_.size()), static_cast<int>(scratch_.size())};
    pool_.insert(pool_.end(), scratch_.begin(), scratch_.end());
    return cell;
}
