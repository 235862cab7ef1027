// Colours as the encoder compares them: 8-bit RGB triples, the 6-bit store of palette components,
// and squared distances.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>

#include "encoder/encoder.h"

namespace tavik::enc {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The 8-bit value a stored 6-bit component decodes to.
inline uint8_t ExpandComponent(uint8_t stored) {
    return static_cast<uint8_t>(stored << 2 | stored >> 4);
}

// The decodable component nearest to `value`.
inline uint8_t NearestComponent(uint8_t value) {
    const uint8_t down = value >> 2;
    const uint8_t up = down < 63 ? static_cast<uint8_t>(down + 1) : down;
    return std::abs(ExpandComponent(up) - value) < std::abs(ExpandComponent(down) - value)
               ? ExpandComponent(up)
               : ExpandComponent(down);
}

inline Rgb NearestStored(Rgb c) {
    return {NearestComponent(c.r), NearestComponent(c.g), NearestComponent(c.b)};
}

inline int Distance2(int r0, int g0, int b0, int r1, int g1, int b1) {
    return (r0 - r1) * (r0 - r1) + (g0 - g1) * (g0 - g1) + (b0 - b1) * (b0 - b1);
}

inline Rgb EntryOf(const Palette& palette, int i) {
    return {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
}

inline void SetEntry(Palette& palette, int i, Rgb c) {
    palette[3 * i] = c.r;
    palette[3 * i + 1] = c.g;
    palette[3 * i + 2] = c.b;
}

}  // namespace tavik::enc
