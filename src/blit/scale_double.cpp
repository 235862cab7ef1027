// Modes 1 and 2, plain loops: every 8-bit pixel doubled across, on two lines or one.
#include "blit/line_walk.h"
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

// One source line of width pixels to 2 x width bytes at upper and, with kBothLines, the same
// at upper + pitch. Four source pixels per step, then the rest one by one.
template <bool kBothLines>
inline void DoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source, uint32_t width,
                       const uint16_t*) {
    uint32_t i = 0;
    for (; i + 4 <= width; i += 4) {
        const uint64_t doubled = DoubleBytes(LoadWord<uint32_t>(source + i));
        StoreWord(upper + 2 * i, doubled);
        if constexpr (kBothLines) StoreWord(upper + pitch + 2 * i, doubled);
    }
    for (; i < width; ++i) {
        const uint8_t pixel = source[i];
        upper[2 * i] = upper[2 * i + 1] = pixel;
        if constexpr (kBothLines) upper[pitch + 2 * i] = upper[pitch + 2 * i + 1] = pixel;
    }
}

}  // namespace

void ScaleDouble(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source, ptrdiff_t sourceSkip,
                 uint32_t width, uint32_t height, const void* table) {
    DoubledLines<DoubleLine<true>>(destination, pitch, source, sourceSkip, width, height, table);
}

void ScaleDoubleInterlaced(uint8_t* destination, ptrdiff_t destinationSkip, const uint8_t* source,
                           ptrdiff_t sourceSkip, uint32_t width, uint32_t height,
                           const void* table) {
    InterlacedLines<DoubleLine<false>, 2>(destination, destinationSkip, source, sourceSkip, width,
                                          height, table);
}

}  // namespace tavik
