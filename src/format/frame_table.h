// Facts of the frame size table: the sums that every reader checks, and the data rate that the
// playback summary, the read-ahead ring and the encoder's rate cap count alike.
#pragma once

#include <cstdint>
#include <string>

namespace tavik {

struct FrameTableFacts {
    uint64_t totalBytes = 0;  // all frames, the ring frame included
    uint32_t largest = 0;     // the largest frame
};

FrameTableFacts MeasureFrameTable(const uint32_t* sizes, uint32_t frameTotal);

// Empty when the frames fit the limits and the data that follows the tables (`dataBytes`, what
// the file holds from frame 0 on): every frame on its own must fit it, all of them together may
// not (a file that ends early plays until the first missing frame). `firstFrame` is frame 0's
// position in the file.
std::string FrameTableProblem(const FrameTableFacts& facts, uint64_t firstFrame,
                              uint64_t dataBytes);

// The highest sum of frame sizes over one second of frames, as the player's summary counts it:
// windows of a second's frames (frames per second from the frame time, at least 1) starting at
// frame 1 or later, never at frame 0; a movie shorter than a window counts all its frames.
struct DataRate {
    uint32_t highest = 0;
    uint32_t fromFrame = 1;  // where that second begins, counted from 1
};
uint32_t FramesPerSecondForRate(uint32_t frameTime);
DataRate MeasureDataRate(const uint32_t* sizes, uint32_t frameTotal, uint32_t frameTime);

}  // namespace tavik
