// Modes 6, 7 and 8, plain loops: 8-bit pixels to 16-bit pixels through the colour table, at the
// same size or doubled across on two lines or one.
#include "blit/line_walk.h"
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

// Four pixels per step as one 64-bit store (two steps per pass), then the rest one by one. The
// source is read byte by byte: a byte load is cheaper than picking bytes out of a loaded word.
inline uint64_t FourPixels(const uint8_t* source, const uint16_t* table) {
    return JoinPixels(table[source[0]], table[source[1]], table[source[2]], table[source[3]]);
}

inline void ConvertLine(uint8_t* out, const uint8_t* source, uint32_t width,
                        const uint16_t* table) {
    const uint8_t* const end = source + (width & ~7u);
    for (; source != end; source += 8, out += 16) {
        StoreWord(out, FourPixels(source, table));
        StoreWord(out + 8, FourPixels(source + 4, table));
    }
    if (width & 4u) {
        StoreWord(out, FourPixels(source, table));
        source += 4;
        out += 8;
    }
    for (uint32_t i = 0; i < (width & 3u); ++i) StoreWord(out + 2 * i, table[source[i]]);
}

// Each pixel twice side by side at upper and, with kBothLines, at upper + pitch.
template <bool kBothLines>
inline void ConvertDoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source,
                              uint32_t width, const uint16_t* table) {
    uint32_t i = 0;
    for (; i + 4 <= width; i += 4) {
        const uint64_t first =
            JoinPairs(PixelPair(table[source[i]]), PixelPair(table[source[i + 1]]));
        const uint64_t second =
            JoinPairs(PixelPair(table[source[i + 2]]), PixelPair(table[source[i + 3]]));
        StoreWord(upper + 4 * i, first);
        StoreWord(upper + 4 * i + 8, second);
        if constexpr (kBothLines) {
            StoreWord(upper + pitch + 4 * i, first);
            StoreWord(upper + pitch + 4 * i + 8, second);
        }
    }
    for (; i < width; ++i) {
        const uint32_t pair = PixelPair(table[source[i]]);
        StoreWord(upper + 4 * i, pair);
        if constexpr (kBothLines) StoreWord(upper + pitch + 4 * i, pair);
    }
}

}  // namespace

void ScaleConvert(uint8_t* destination, ptrdiff_t destinationSkip, const uint8_t* source,
                  ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    ForEachLine(destination, 2 * static_cast<ptrdiff_t>(width) + destinationSkip, source,
                width + sourceSkip, height, [&](uint8_t* line, const uint8_t* from) {
                    ConvertLine(line, from, width, colours);
                });
}

void ScaleConvertDouble(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                        ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    DoubledLines<ConvertDoubleLine<true>>(destination, pitch, source, sourceSkip, width, height,
                                          table);
}

void ScaleConvertDoubleInterlaced(uint8_t* destination, ptrdiff_t destinationSkip,
                                  const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                                  uint32_t height, const void* table) {
    InterlacedLines<ConvertDoubleLine<false>, 4>(destination, destinationSkip, source, sourceSkip,
                                                 width, height, table);
}

}  // namespace tavik
