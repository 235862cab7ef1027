// Modes 3 and 9: 2x with blended pixels, one smoothing-table lookup per output pixel.
//
// Each source pixel c with left neighbour l and upper neighbour u gives the 2 x 2 block
//   T[l][u]  T[c][u]
//   T[c][l]  c (8-bit) or T[c][c] (16-bit)
// The first pixel of a line is its own left neighbour and the first line of the rectangle is its
// own upper line, so nothing outside the rectangle is read.
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

template <typename Pixel, typename LowerRight>
inline void SmoothLines(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                        ptrdiff_t sourcePitch, uint32_t width, uint32_t height, const Pixel* table,
                        LowerRight lowerRight) {
    constexpr ptrdiff_t kSize = sizeof(Pixel);
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* upper = destination + static_cast<ptrdiff_t>(y) * 2 * pitch;
        uint8_t* lower = upper + pitch;
        const uint8_t* line = source + static_cast<ptrdiff_t>(y) * sourcePitch;
        const uint8_t* above = y == 0 ? line : line - sourcePitch;
        uint32_t left = line[0];
        for (uint32_t i = 0; i < width; ++i) {
            const uint32_t current = line[i];
            const uint32_t up = above[i];
            const Pixel* row = table + (current << 8);
            StoreWord(upper + 2 * kSize * i, table[left << 8 | up]);
            StoreWord(upper + 2 * kSize * i + kSize, row[up]);
            StoreWord(lower + 2 * kSize * i, row[left]);
            StoreWord(lower + 2 * kSize * i + kSize, lowerRight(row, current));
            left = current;
        }
    }
}

}  // namespace

void ScaleSmooth(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                 ptrdiff_t sourcePitch, uint32_t width, uint32_t height, const void* table) {
    SmoothLines(destination, pitch, source, sourcePitch, width, height,
                static_cast<const uint8_t*>(table),
                [](const uint8_t*, uint32_t current) { return static_cast<uint8_t>(current); });
}

void ScaleConvertSmooth(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                        ptrdiff_t sourcePitch, uint32_t width, uint32_t height, const void* table) {
    SmoothLines(destination, pitch, source, sourcePitch, width, height,
                static_cast<const uint16_t*>(table),
                [](const uint16_t* row, uint32_t current) { return row[current]; });
}

}  // namespace tavik
