#include "encoder/rate_control.h"

#include <algorithm>

#include "format/frame_table.h"
#include "format/header.h"

namespace tavik::enc {

uint32_t FramesPerSecond(int32_t frameRate) {
    return FramesPerSecondForRate(FrameTimeTicks(frameRate));
}

std::vector<RateWindow> RateWindows(const std::vector<uint32_t>& sizes, uint32_t fps) {
    std::vector<RateWindow> windows;
    const size_t n = sizes.size();
    if (n == 0) return windows;
    windows.push_back({0, 0, sizes[0]});
    if (n - 1 < fps) {
        uint64_t total = 0;
        for (uint32_t size : sizes) total += size;
        windows.push_back({0, n - 1, total});
        return windows;
    }
    uint64_t sum = 0;
    for (size_t i = 1; i <= fps; ++i) sum += sizes[i];
    for (size_t s = 1;; ++s) {
        windows.push_back({s, s + fps - 1, sum});
        if (s + fps >= n) break;
        sum += sizes[s + fps];
        sum -= sizes[s];
    }
    return windows;
}

std::vector<RateWindow> WindowsOverCap(const std::vector<uint32_t>& sizes, uint32_t fps,
                                       uint64_t cap) {
    std::vector<RateWindow> over;
    for (const RateWindow& window : RateWindows(sizes, fps))
        if (window.bytes > cap) over.push_back(window);
    return over;
}

uint64_t HighestRate(const std::vector<uint32_t>& sizes, uint32_t fps) {
    uint64_t highest = 0;
    for (const RateWindow& window : RateWindows(sizes, fps))
        highest = std::max(highest, window.bytes);
    return highest;
}

}  // namespace tavik::enc
