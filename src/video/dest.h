// The destination descriptor: where and how the video decoder writes a frame.
#pragma once

#include <cstdint>

namespace tavik {

// State of the change-rectangle search, restarted by the decoder at every frame.
struct ChangeIterator {
    uint8_t done;
    uint8_t pending;
    uint8_t started;
    uint8_t reserved;
    uint32_t width;   // picture width in pixels
    uint32_t height;  // coded height in lines
    uint32_t x;       // search column, or the rest of a row-crossing group while pending
    uint32_t y;       // search line, a multiple of 4
    const uint8_t* position;
};

enum : uint8_t { kDestKindLinear = 1 };

}  // namespace tavik

// The descriptor is followed in the same allocation by the change map (one byte per group of 16
// blocks plus a closing byte) and, for 16-bit formats, by the 256-entry colour table in the last
// 512 bytes of the allocation, which `colourTable` names.
//
// The decoder writes only inside the picture that `picture`, `blocksPerRow`, `blockRows`,
// `lineStep`, `doubled` and `format` describe: it derives its own block and row steps from
// `lineStep`, so the three precomputed steps are kept for other readers but not trusted.
struct TavikDestDesc {
    uint8_t kind;     // kDestKindLinear
    uint8_t doubled;  // bit 0: every pixel row goes to two lines
    uint8_t format;   // 0: 8-bit; bit 7: 16-bit (0x80 5-5-5, 0xC0 5-6-5)
    uint8_t reserved;
    uint8_t* picture;  // top-left pixel of the frame
    uint32_t blocksPerRow;
    uint32_t blockRows;
    int32_t blockBackStep;    // last line of a block to the top of the next block
    int32_t blockHeightStep;  // (lines per block - 1) line steps
    int32_t lineStep;         // bytes between written lines (negative: bottom-up)
    int32_t rowStep;          // past a block row's end to the next block row's start
    tavik::ChangeIterator iterator;
    const uint16_t* colourTable;  // 16-bit formats: palette index to pixel, filled by the core
};

namespace tavik {

inline uint8_t* ChangeMap(TavikDestDesc* dest) {
    return reinterpret_cast<uint8_t*>(dest + 1);
}
inline const uint8_t* ChangeMap(const TavikDestDesc* dest) {
    return reinterpret_cast<const uint8_t*>(dest + 1);
}

}  // namespace tavik
