// Modes 1, 2, 7 and 8 with SSE2, the wide loops on x86-64 (where every processor has it).
// SSE2 leaves no shared floating-point state behind, so nothing needs clearing afterwards.
#if defined(__x86_64__)

#include <emmintrin.h>

#include "blit/pixel_words.h"
#include "blit/scalers.h"

namespace tavik {
namespace {

inline void Store16(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// 16 source pixels per step, unpacked against themselves into 32 bytes per line.
template <bool kBothLines>
inline void DoubleLine(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source, uint32_t width) {
    uint32_t i = 0;
    for (; i + 16 <= width; i += 16) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i low = _mm_unpacklo_epi8(pixels, pixels);
        const __m128i high = _mm_unpackhi_epi8(pixels, pixels);
        Store16(upper + 2 * i, low);
        Store16(upper + 2 * i + 16, high);
        if constexpr (kBothLines) {
            Store16(upper + pitch + 2 * i, low);
            Store16(upper + pitch + 2 * i + 16, high);
        }
    }
    for (; i < width; ++i) {
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
        const uint64_t eight = LoadWord<uint64_t>(source + i);
        const __m128i pixels = _mm_set_epi64x(
            static_cast<int64_t>(JoinPixels(table[ByteAt(eight, 4)], table[ByteAt(eight, 5)],
                                            table[ByteAt(eight, 6)], table[ByteAt(eight, 7)])),
            static_cast<int64_t>(JoinPixels(table[ByteAt(eight, 0)], table[ByteAt(eight, 1)],
                                            table[ByteAt(eight, 2)], table[ByteAt(eight, 3)])));
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
                     ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void*) {
    for (; height != 0; --height) {
        DoubleLine<true>(destination, pitch, source, width);
        destination += 2 * pitch;
        source += width + sourceSkip;
    }
}

void ScaleDoubleInterlacedSse2(uint8_t* destination, ptrdiff_t destinationSkip,
                               const uint8_t* source, ptrdiff_t sourceSkip, uint32_t width,
                               uint32_t height, const void*) {
    for (; height != 0; --height) {
        DoubleLine<false>(destination, 0, source, width);
        destination += 2 * ptrdiff_t{width} + destinationSkip;
        source += width + sourceSkip;
    }
}

void ScaleConvertDoubleSse2(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                            ptrdiff_t sourceSkip, uint32_t width, uint32_t height,
                            const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    for (; height != 0; --height) {
        ConvertDoubleLine<true>(destination, pitch, source, width, colours);
        destination += 2 * pitch;
        source += width + sourceSkip;
    }
}

void ScaleConvertDoubleInterlacedSse2(uint8_t* destination, ptrdiff_t destinationSkip,
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

#endif
