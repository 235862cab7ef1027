// The blitter record and the layout of its one allocation.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tavik/blitter.h"

struct TavikBlitter {
    uint32_t Flags;
    uint8_t* Palette;       // 256 x (R, G, B), or null in 8-bit modes without smoothing
    void* SmoothingTable;   // 256 x 256 of u8 (mode 3) or u16 (mode 9), or null
    uint16_t* ColourTable;  // palette index to 16-bit pixel (modes 6 to 9), or null
    uint32_t Mode;
    uint32_t PaletteVersion;
    uint32_t ColourTableVersion;
    uint32_t SmoothingVersion;
    uint32_t SmoothingKind;  // 8 or 16 once built, 0 before
    uint32_t FirstPalette;   // 1 until the first palette has been taken
};

namespace tavik {

// The allocation: the record in the first 256 bytes, then the colour table (16-bit modes), the
// palette (16-bit and smoothing modes) and the smoothing table (smoothing modes).
inline constexpr size_t kBlitterRecordBytes = 256;
inline constexpr size_t kColourTableBytes = 512;
inline constexpr size_t kPaletteBytes = 768;
inline constexpr size_t kSmoothingTableBytes = 131072;  // 256 x 256 x u16; u8 uses half
static_assert(sizeof(TavikBlitter) <= kBlitterRecordBytes);

inline bool IsSixteenBitMode(uint32_t mode) {
    return mode >= BlitterMode16Bit1x;
}
inline bool IsSmoothingMode(uint32_t mode) {
    return mode == BlitterMode8Bit2xSmoothing || mode == BlitterMode16Bit2xSmoothing;
}
inline bool HasWideLoops(uint32_t mode) {
    return mode == BlitterMode8Bit2x || mode == BlitterMode8Bit2xInterlaced ||
           mode == BlitterMode16Bit2x || mode == BlitterMode16Bit2xInterlaced;
}

// Mode number of a set of open flags: 6 for a 16-bit format, plus 3 smoothing, else 2
// interlaced, else 1 doubled.
uint32_t BlitterModeFromFlags(uint32_t flags);
// Bytes of the one allocation for a mode.
size_t BlitterAllocationSize(uint32_t mode);

// Converts a palette in any layout word into 256 (R, G, B) triples.
void ConvertPalette(const uint8_t* palette, uint32_t layout, uint8_t* rgb);

// True when the four modes with wide loops are to run them: the stored answer of the processor
// check, asking it first when nothing is stored yet.
bool WideLoopsChosen();

}  // namespace tavik
