// Modes 6, 7 and 8, plain loops: 8-bit pixels to 16-bit pixels through the colour table, at the
// same size or doubled across on two lines or one.
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

// Four pixels per step as one 64-bit store, then the rest one by one.
inline void ConvertLine(uint8_t* out, const uint8_t* source, uint32_t width,
                        const uint16_t* table) {
    uint32_t i = 0;
    for (; i + 4 <= width; i += 4) {
        const uint32_t four = LoadWord<uint32_t>(source + i);
        StoreWord(out + 2 * i, JoinPixels(table[ByteAt(four, 0)], table[ByteAt(four, 1)],
                                          table[ByteAt(four, 2)], table[ByteAt(four, 3)]));
    }
    for (; i < width; ++i) StoreWord(out + 2 * i, table[source[i]]);
}

// Each pixel twice side by side at upper and, with kBothLines, at upper + pitch.
template <bool kBothLines>
inline void ConvertDoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source,
                              uint32_t width, const uint16_t* table) {
    uint32_t i = 0;
    for (; i + 4 <= width; i += 4) {
        const uint32_t four = LoadWord<uint32_t>(source + i);
        const uint64_t first =
            JoinPairs(PixelPair(table[ByteAt(four, 0)]), PixelPair(table[ByteAt(four, 1)]));
        const uint64_t second =
            JoinPairs(PixelPair(table[ByteAt(four, 2)]), PixelPair(table[ByteAt(four, 3)]));
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
    for (; height != 0; --height) {
        ConvertLine(destination, source, width, colours);
        destination += 2 * ptrdiff_t{width} + destinationSkip;
        source += width + sourceSkip;
    }
}

void ScaleConvertDouble(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                        ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    for (; height != 0; --height) {
        ConvertDoubleLine<true>(destination, pitch, source, width, colours);
        destination += 2 * pitch;
        source += width + sourceSkip;
    }
}

void ScaleConvertDoubleInterlaced(uint8_t* destination, ptrdiff_t destinationSkip,
                                  const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                                  uint32_t height, const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    for (; height != 0; --height) {
        ConvertDoubleLine<false>(destination, 0, source, width, colours);
        destination += 4 * ptrdiff_t{width} + destinationSkip;
        source += width + sourceSkip;
    }
}

}  // namespace tavik
