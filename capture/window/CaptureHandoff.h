#pragma once

#include <cstdint>

// What the editor and the capture window hand each other, process-wide.

// The capture window's top and left in twips. The editor sets it to its own
// place before opening the window; each capture keeps the window's place in
// it while the window is out of the way.
struct CapturePosition {
    std::int32_t top = 0;
    std::int32_t left = 0;
};
extern CapturePosition capturePosition;

// True once a capture has been saved and entered into the frame table since
// the editor opened the window.
extern bool captureSaved;
