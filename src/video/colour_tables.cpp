// The two 16-bit colour tables: palette index to 5-5-5 or 5-6-5 pixel.
#include "video/frame_helpers.h"

namespace tavik {

void BuildColourTable555(uint16_t* table, const uint8_t* palette) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* rgb = palette + 3 * i;
        table[i] = static_cast<uint16_t>((rgb[0] >> 3) << 10 | (rgb[1] >> 3) << 5 | rgb[2] >> 3);
    }
}

void BuildColourTable565(uint16_t* table, const uint8_t* palette) {
    for (int i = 0; i < 256; ++i) {
        const uint8_t* rgb = palette + 3 * i;
        table[i] = static_cast<uint16_t>((rgb[0] >> 3) << 11 | (rgb[1] >> 2) << 5 | rgb[2] >> 3);
    }
}

}  // namespace tavik
