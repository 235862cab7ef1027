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
        line(destination + ptrdiff_t{y} * destinationStride, source + ptrdiff_t{y} * sourceStride);
    }
}

}  // namespace tavik
