// Choosing how each 4x4 block of a frame is coded, and listing the values the decoder will read
// for the frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::enc {

enum BlockType : uint8_t { kTwoColourBlock = 0, kFullBlock = 1, kSkipBlock = 2, kSolidBlock = 3 };

// The four value trees, in the order of the tree block.
enum ValueTree : uint32_t { kMaskTree = 0, kColourTree = 1, kFullBlockTree = 2, kTypeTree = 3 };
constexpr uint32_t kValueTreeCount = 4;

struct BlockChoice {
    uint8_t type = kSkipBlock;
    uint8_t colour = 0;  // solid blocks
    uint16_t pair = 0;   // two-colour blocks: colour A (mask bit 0) low, colour B (mask bit 1) high
    uint16_t mask = 0;   // two-colour blocks: bit 4 * row + column set = colour B
};

// One coded picture: its pixels, its blocks and the values its video chunk codes.
struct FramePlan {
    const uint8_t* pixels = nullptr;
    std::vector<BlockChoice> blocks;
    // In the decoder's reading order: (tree << 16) | value.
    std::vector<uint32_t> values;
};

inline uint32_t ValueTreeOf(uint32_t entry) {
    return entry >> 16;
}
inline uint16_t ValueOf(uint32_t entry) {
    return static_cast<uint16_t>(entry);
}

// Palette entries whose colour this frame changes.
using ColourSet = std::array<bool, 256>;

// The cheapest exact coding of the 16 pixels `p` (rows of 4) without skipping: solid, two-colour
// or full, as the options allow.
BlockChoice CodeBlock(const uint8_t* p, const EncodeOptions& options);

// `previous` is the picture the decoder holds before this frame, or null when that is not known
// (frame 0, which wraps onto whatever the last frame left): then no block is skipped. A block
// that shows a recoloured entry is not skipped either: a 16-bit or remapped destination holds
// the old colour, which only a redrawn block replaces.
std::vector<BlockChoice> ChooseBlocks(const uint8_t* pixels, const uint8_t* previous,
                                      const ColourSet& recoloured, uint32_t width, uint32_t height,
                                      const EncodeOptions& options);

// Full-block values of one pixel row of a block: the right pair is read first.
inline uint16_t RightPair(const uint8_t* row) {
    return static_cast<uint16_t>(row[2] | row[3] << 8);
}
inline uint16_t LeftPair(const uint8_t* row) {
    return static_cast<uint16_t>(row[0] | row[1] << 8);
}

// Splits the blocks into runs (a run crosses block rows freely; the last one may overrun the
// frame's end, which ends the frame) and lists the type words and block values.
std::vector<uint32_t> FrameValues(const std::vector<BlockChoice>& blocks, const uint8_t* pixels,
                                  uint32_t width);

// Run-length index of a run of `length` blocks, which must be one the table holds.
uint32_t RunLengthIndex(uint32_t length);
uint32_t RunLength(uint32_t index);

}  // namespace tavik::enc
