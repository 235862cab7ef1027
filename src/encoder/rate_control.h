// The data-rate cap: the windows of one second's frames that the player's summary measures, and
// which of them a movie's frame sizes overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavik::enc {

// Frames in one second as the summary counts them: 100000 / frame time in 10-microsecond
// ticks (integer division), 100000 for no timing, at least 1.
uint32_t FramesPerSecond(int32_t frameRate);

struct RateWindow {
    size_t first = 0, last = 0;  // frame numbers, inclusive
    uint64_t bytes = 0;
};

// Frame 0 alone, and every run of `fps` frames from frame 1 on to the very last one; a movie
// shorter than that is one window of all its frames. The ring frame counts like any frame.
std::vector<RateWindow> RateWindows(const std::vector<uint32_t>& sizes, uint32_t fps);

// The windows whose bytes exceed `cap`.
std::vector<RateWindow> WindowsOverCap(const std::vector<uint32_t>& sizes, uint32_t fps,
                                       uint64_t cap);

// The highest one-second rate, as above (frame 0 alone included).
uint64_t HighestRate(const std::vector<uint32_t>& sizes, uint32_t fps);

}  // namespace tavik::enc
