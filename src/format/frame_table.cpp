#include "format/frame_table.h"

#include <algorithm>

#include "format/limits.h"

namespace tavik {

FrameTableFacts MeasureFrameTable(const uint32_t* sizes, uint32_t frameTotal) {
    FrameTableFacts facts;
    for (uint32_t i = 0; i < frameTotal; ++i) {
        facts.totalBytes += sizes[i];
        facts.largest = std::max(facts.largest, sizes[i]);
    }
    return facts;
}

std::string FrameTableProblem(const FrameTableFacts& facts, uint64_t firstFrame,
                              uint64_t dataBytes) {
    if (facts.totalBytes > FormatLimits::kMaxFrameBytes)
        return "the frames hold " + std::to_string(facts.totalBytes) + " bytes; at most " +
               std::to_string(FormatLimits::kMaxFrameBytes) + " are allowed";
    if (firstFrame + facts.totalBytes > FormatLimits::kMaxMovieEnd)
        return "the movie would end " + std::to_string(firstFrame + facts.totalBytes) +
               " bytes into its file; movies end within the first 4 GiB";
    if (facts.largest > dataBytes)
        return "a frame of " + std::to_string(facts.largest) +
               " bytes is longer than the file's frame data";
    return {};
}

uint32_t FramesPerSecondForRate(uint32_t frameTime) {
    const uint32_t fps = frameTime ? 100000 / frameTime : 100000;
    return fps ? fps : 1;
}

DataRate MeasureDataRate(const uint32_t* sizes, uint32_t frameTotal, uint32_t frameTime) {
    const uint32_t fps = FramesPerSecondForRate(frameTime);
    DataRate rate;
    if (frameTotal - 1 < fps) {
        uint64_t total = 0;
        for (uint32_t i = 0; i < frameTotal; ++i) total += sizes[i];
        rate.highest = static_cast<uint32_t>(total);
        return rate;
    }
    // Windows of fps frames starting at 1 .. N-1-fps; the one at frame 0 never counts.
    uint64_t best = 0, window = 0;
    uint32_t bestStart = 0;
    for (uint32_t i = 1; i <= fps && i < frameTotal; ++i) window += sizes[i];
    for (uint32_t s = 1; s + fps + 1 <= frameTotal; ++s) {
        if (s > 1) window += uint64_t{sizes[s + fps - 1]} - sizes[s - 1];
        if (window > best) {
            best = window;
            bestStart = s;
        }
    }
    rate.highest = static_cast<uint32_t>(best);
    rate.fromFrame = bestStart + 1;
    return rate;
}

}  // namespace tavik
