// Modes 1, 2, 7 and 8 in 64-bit words: the wide loops on processors without SSE2, written in
// plain C++ so that they run (and are tested) everywhere.
#include "blit/line_walk.h"
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

// 16 source pixels per step (two loaded words, four stored words per line), then one by one.
template <bool kBothLines>
inline void DoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source, uint32_t width,
                       const uint16_t*) {
    uint32_t i = 0;
    for (; i + 16 <= width; i += 16) {
        const uint64_t first = LoadWord<uint64_t>(source + i);
        const uint64_t second = LoadWord<uint64_t>(source + i + 8);
        const uint64_t out[4] = {DoubleBytes(FirstHalf(first)), DoubleBytes(SecondHalf(first)),
                                 DoubleBytes(FirstHalf(second)), DoubleBytes(SecondHalf(second))};
        for (int k = 0; k < 4; ++k) {
            StoreWord(upper + 2 * i + 8 * k, out[k]);
            if constexpr (kBothLines) StoreWord(upper + pitch + 2 * i + 8 * k, out[k]);
        }
    }
    for (; i < width; ++i) {
        const uint8_t pixel = source[i];
        upper[2 * i] = upper[2 * i + 1] = pixel;
        if constexpr (kBothLines) upper[pitch + 2 * i] = upper[pitch + 2 * i + 1] = pixel;
    }
}

// 8 source pixels per step (four stored words per line), then one by one.
template <bool kBothLines>
inline void ConvertDoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source,
                              uint32_t width, const uint16_t* table) {
    uint32_t i = 0;
    for (; i + 8 <= width; i += 8) {
        uint64_t out[4];
        for (int k = 0; k < 4; ++k) {
            out[k] = JoinPairs(PixelPair(table[source[i + 2 * k]]),
                               PixelPair(table[source[i + 2 * k + 1]]));
        }
        for (int k = 0; k < 4; ++k) {
            StoreWord(upper + 4 * i + 8 * k, out[k]);
            if constexpr (kBothLines) StoreWord(upper + pitch + 4 * i + 8 * k, out[k]);
        }
    }
    for (; i < width; ++i) {
        const uint32_t pair = PixelPair(table[source[i]]);
        StoreWord(upper + 4 * i, pair);
        if constexpr (kBothLines) StoreWord(upper + pitch + 4 * i, pair);
    }
}

}  // namespace

void ScaleDoubleWords(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                      ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    DoubledLines<DoubleLine<true>>(destination, pitch, source, sourceSkip, width, height, table);
}

void ScaleDoubleInterlacedWords(uint8_t* destination, ptrdiff_t destinationSkip,
                                const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                                uint32_t height, const void* table) {
    InterlacedLines<DoubleLine<false>, 2>(destination, destinationSkip, source, sourceSkip, width,
                                          height, table);
}

void ScaleConvertDoubleWords(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                             ptrdiff_t sourceSkip, uint32_t width, uint32_t height,
                             const void* table) {
    DoubledLines<ConvertDoubleLine<true>>(destination, pitch, source, sourceSkip, width, height,
                                          table);
}

void ScaleConvertDoubleInterlacedWords(uint8_t* destination, ptrdiff_t destinationSkip,
                                       const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                                       uint32_t height, const void* table) {
    InterlacedLines<ConvertDoubleLine<false>, 4>(destination, destinationSkip, source, sourceSkip,
                                                 width, height, table);
}

}  // namespace tavik
