#pragma once

#include <cmath>

// Windows are laid out, and positions stored, in twips: 15 make a pixel.
namespace Twips {

inline constexpr int kPerPixel = 15;

inline int toPixels(int twips) {
    return static_cast<int>(std::lround(twips / double(kPerPixel)));
}

}  // namespace Twips
