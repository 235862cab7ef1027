// Modes 1, 2, 7 and 8 with SSE2, the wide loops on x86-64 (where every processor has it).
// SSE2 leaves no shared floating-point state behind, so nothing needs clearing afterwards.
#if defined(__x86_64__)

#include <emmintrin.h>

#include "blit/line_walk.h"
#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

inline void Store16(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// 16 source pixels per step, unpacked against themselves into 32 bytes per line.
template <bool kBothLines>
inline void DoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source, uint32_t width,
                       const uint16_t*) {
    const uint8_t* const end = source + (width & ~31u);
    for (; source != end; source += 32, upper += 64) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 16));
        const __m128i out[4] = {_mm_unpacklo_epi8(first, first), _mm_unpackhi_epi8(first, first),
                                _mm_unpacklo_epi8(second, second),
                                _mm_unpackhi_epi8(second, second)};
        for (int k = 0; k < 4; ++k) Store16(upper + 16 * k, out[k]);
        if constexpr (kBothLines) {
            for (int k = 0; k < 4; ++k) Store16(upper + pitch + 16 * k, out[k]);
        }
    }
    if (width & 16u) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        const __m128i low = _mm_unpacklo_epi8(pixels, pixels);
        const __m128i high = _mm_unpackhi_epi8(pixels, pixels);
        Store16(upper, low);
        Store16(upper + 16, high);
        if constexpr (kBothLines) {
            Store16(upper + pitch, low);
            Store16(upper + pitch + 16, high);
        }
        source += 16;
        upper += 32;
    }
    for (uint32_t i = 0; i < (width & 15u); ++i) {
        const uint8_t pixel = source[i];
        upper[2 * i] = upper[2 * i + 1] = pixel;
        if constexpr (kBothLines) upper[pitch + 2 * i] = upper[pitch + 2 * i + 1] = pixel;
    }
}

// 8 source pixels per step: eight lookups gathered into one register, unpacked against
// themselves into 32 bytes per line.
template <bool kBothLines>
inline void ConvertDoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source,
                              uint32_t width, const uint16_t* table) {
    uint32_t i = 0;
    for (; i + 8 <= width; i += 8) {
        __m128i pixels = _mm_cvtsi32_si128(table[source[i]]);
        pixels = _mm_insert_epi16(pixels, table[source[i + 1]], 1);
        pixels = _mm_insert_epi16(pixels, table[source[i + 2]], 2);
        pixels = _mm_insert_epi16(pixels, table[source[i + 3]], 3);
        pixels = _mm_insert_epi16(pixels, table[source[i + 4]], 4);
        pixels = _mm_insert_epi16(pixels, table[source[i + 5]], 5);
        pixels = _mm_insert_epi16(pixels, table[source[i + 6]], 6);
        pixels = _mm_insert_epi16(pixels, table[source[i + 7]], 7);
        const __m128i low = _mm_unpacklo_epi16(pixels, pixels);
        const __m128i high = _mm_unpackhi_epi16(pixels, pixels);
        Store16(upper + 4 * i, low);
        Store16(upper + 4 * i + 16, high);
        if constexpr (kBothLines) {
            Store16(upper + pitch + 4 * i, low);
            Store16(upper + pitch + 4 * i + 16, high);
        }
    }
    for (; i < width; ++i) {
        const uint32_t pair = PixelPair(table[source[i]]);
        StoreWord(upper + 4 * i, pair);
        if constexpr (kBothLines) StoreWord(upper + pitch + 4 * i, pair);
    }
}

}  // namespace

void ScaleDoubleSse2(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                     ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    DoubledLines<DoubleLine<true>>(destination, pitch, source, sourceSkip, width, height, table);
}

void ScaleDoubleInterlacedSse2(uint8_t* destination, ptrdiff_t destinationSkip,
                               const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                               uint32_t height, const void* table) {
    InterlacedLines<DoubleLine<false>, 2>(destination, destinationSkip, source, sourceSkip, width,
                                          height, table);
}

void ScaleConvertDoubleSse2(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                            ptrdiff_t sourceSkip, uint32_t width, uint32_t height,
                            const void* table) {
    DoubledLines<ConvertDoubleLine<true>>(destination, pitch, source, sourceSkip, width, height,
                                          table);
}

void ScaleConvertDoubleInterlacedSse2(uint8_t* destination, ptrdiff_t destinationSkip,
                                      const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                                      uint32_t height, const void* table) {
    InterlacedLines<ConvertDoubleLine<false>, 4>(destination, destinationSkip, source, sourceSkip,
                                                 width, height, table);
}

}  // namespace tavik

#endif
