// Mode 0: 8-bit pictures copied at the same size.
#include <cstring>

#include "blit/line_walk.h"
#include "blit/scalers.h"

namespace tavik {

// memcpy moves each line in the widest words the processor has and ends with the odd bytes.
void ScaleCopy(uint8_t* destination, ptrdiff_t destinationSkip, const uint8_t* source,
               ptrdiff_t sourceSkip, uint32_t width, uint32_t height, const void*) {
    // Lines that follow each other without gaps on both sides are one block: a single call
    // saves the per-line start-up of the copy.
    if (destinationSkip == 0 && sourceSkip == 0) {
        std::memcpy(destination, source, size_t{width} * height);
        return;
    }
    ForEachLine(destination, width + destinationSkip, source, width + sourceSkip, height,
                [width](uint8_t* line, const uint8_t* from) { std::memcpy(line, from, width); });
}

}  // namespace tavik
