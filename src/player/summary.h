// The playback summary shown with /S.
#pragma once

#include <cstdint>
#include <string>

#include "tavik/movie.h"

namespace tavik {

struct DisplayBuffer;

// What the summary reports: the last movie's statistics and the display at the end.
struct PlaybackSummary {
    TavikSummary stats{};
    uint32_t highestRate = 0;
    uint32_t highestRateFrame = 0;
    uint32_t screenColours = 0;
    std::string display;  // DescribeDisplay's text
};

// A duration in words: "1 millisecond", "61 seconds"... (see the cases in summary.cpp).
std::string FormatDuration(uint32_t milliseconds);
// The display method and, when direct writes were used, the blitter's mode.
std::string DescribeDisplay(const DisplayBuffer* buffer);
// The summary's text; empty when no frame was played.
std::string SummaryText(const PlaybackSummary& summary);
// Shows the summary box (nothing when no frame was played).
void ShowSummary(const PlaybackSummary& summary);

}  // namespace tavik
