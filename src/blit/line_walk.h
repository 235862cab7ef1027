// The line walk shared by every scaler.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavik {

// Calls line(destinationLine, sourceLine) for each of height lines, destinationStride and
// sourceStride bytes apart. Each line's address is formed from the first, so no pointer is ever
// moved past the last line of either picture.
template <typename Line>
inline void ForEachLine(uint8_t* destination, ptrdiff_t destinationStride, const uint8_t* source,
                        ptrdiff_t sourceStride, uint32_t height, Line line) {
    for (uint32_t y = 0; y < height; ++y) {
        line(destination + static_cast<ptrdiff_t>(y) * destinationStride,
             source + static_cast<ptrdiff_t>(y) * sourceStride);
    }
}

// A doubling line kernel: one source line of `width` pixels, each written twice across, at
// `upper` and (for the doubled layout) again at upper + pitch. `colours` is the colour table
// of the converting kernels; the 8-bit ones ignore it.
using DoublingKernel = void (*)(uint8_t* upper, ptrdiff_t pitch, const uint8_t* source,
                                uint32_t width, const uint16_t* colours);

// The doubled layout: each source line on two destination lines `pitch` apart.
template <DoublingKernel kTwoLines>
inline void DoubledLines(uint8_t* destination, ptrdiff_t pitch, const uint8_t* source,
                         ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    ForEachLine(
        destination, 2 * pitch, source, width + sourceSkip, height,
        [&](uint8_t* line, const uint8_t* from) { kTwoLines(line, pitch, from, width, colours); });
}

// The interlaced layout: each source line on one destination line, `kBytesPerSourcePixel`
// bytes for each source pixel plus `destinationSkip`.
template <DoublingKernel kOneLine, ptrdiff_t kBytesPerSourcePixel>
inline void InterlacedLines(uint8_t* destination, ptrdiff_t destinationSkip, const uint8_t* source,
                            ptrdiff_t sourceSkip, uint32_t width, uint32_t height,
                            const void* table) {
    const auto* colours = static_cast<const uint16_t*>(table);
    ForEachLine(destination, kBytesPerSourcePixel * static_cast<ptrdiff_t>(width) + destinationSkip,
                source, width + sourceSkip, height, [&](uint8_t* line, const uint8_t* from) {
                    kOneLine(line, 0, from, width, colours);
                });
}

}  // namespace tavik
