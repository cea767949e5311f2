#pragma once

#include <cmath>

// The editor lays its controls out in twips, as its settings store them.
namespace Twips {

inline constexpr int kPerPixel = 15;

inline int toPixels(int twips) {
    return static_cast<int>(std::lround(twips / double(kPerPixel)));
}

}  // namespace Twips
