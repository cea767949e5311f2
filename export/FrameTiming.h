#pragma once

#include <cstdint>

// How long each frame lasts in an exported movie: one pass, as the player
// shows it without anyone clicking.
namespace FrameTiming {

// A manual movie waits for a double-click; a frame without a wait of its
// own lasts this long in a video.
constexpr std::int64_t kManualFrameMs = 3000;

// The time a frame's wait gives it, in milliseconds: the wait itself in
// the automatic modes (a negative wait counts as none), or 3 s for a
// frame without a wait in the manual mode (any mode but 1 and 2, as the
// player treats it).
std::int64_t WaitPart(int advanceMode, int waitMs);

// Mode 2 holds each frame until its sound has ended.
bool HoldsForSound(int advanceMode);

// The frame's whole time, given how long its sound plays (0 for none).
std::int64_t FrameMs(int advanceMode, int waitMs, std::int64_t soundMs);

}  // namespace FrameTiming
