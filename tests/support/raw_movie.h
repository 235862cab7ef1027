// Builds movie files byte by byte, for tests of the container and the reader that need exact
// sizes. Its tree block holds four absent trees, so any video chunk decodes to nothing.
#pragma once

#include <cstdint>
#include <vector>

namespace tavik::test {

struct RawFrame {
    uint32_t size = 16;                       // whole frame, chunks included
    std::vector<uint8_t> palette;             // palette chunk (length byte first), or empty
    std::vector<std::vector<uint8_t>> audio;  // audio chunks for tracks 0.. (empty = none)
};

struct RawMovie {
    uint32_t width = 16, height = 16;
    int32_t frameRate = 100;
    uint32_t flags = 0;
    uint32_t treeBlockSize = 1;    // at least 1: the absent trees' four presence bits
    std::vector<RawFrame> frames;  // FrameTotal of them (the ring frame last)
    uint32_t audioFormat[7] = {};

    std::vector<uint8_t> Build() const;
    // Offset of frame 0 in the built file.
    uint32_t FirstFrameOffset() const;
};

// A palette chunk setting entries 0.. to the given 6-bit colours, keeping the rest.
std::vector<uint8_t> PaletteChunk(const std::vector<uint8_t>& rgb6);

}  // namespace tavik::test
