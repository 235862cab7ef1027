// Building the smoothing tables.
#include "blit/smoothing_table.h"

#include <algorithm>
#include <array>

namespace tavik {
namespace {

struct Colour {
    int red, green, blue;
};

Colour ColourAt(const uint8_t* palette, uint32_t index) {
    return {palette[3 * index], palette[3 * index + 1], palette[3 * index + 2]};
}

// The palette index nearest to target among the candidates sorted by (red, index). The search
// skips candidates whose red difference alone is too far and stops at the first one that is too
// far with a red at or past the target's: every later candidate is at least as far in red.
uint32_t NearestIndex(const std::array<uint8_t, 256>& byRed, const uint8_t* palette,
                      Colour target) {
    int best = 262144;  // above the largest possible distance, 3 x 255 x 255
    uint32_t nearest = byRed[0];
    for (const uint8_t index : byRed) {
        const Colour c = ColourAt(palette, index);
        const int dr = target.red - c.red;
        if (dr * dr < best) {
            const int dg = target.green - c.green;
            const int db = target.blue - c.blue;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < best) {
                best = distance;
                nearest = index;
            }
        } else if (c.red >= target.red) {
            break;
        }
    }
    return nearest;
}

}  // namespace

void BuildSmoothingTable8(uint8_t* table, const uint8_t* palette) {
    std::array<uint8_t, 256> byRed;
    for (int i = 0; i < 256; ++i) byRed[i] = static_cast<uint8_t>(i);
    std::stable_sort(byRed.begin(), byRed.end(),
                     [palette](uint8_t a, uint8_t b) { return palette[3 * a] < palette[3 * b]; });

    for (uint32_t a = 0; a < 256; ++a) {
        table[a * 256 + a] = static_cast<uint8_t>(a);
        const Colour ca = ColourAt(palette, a);
        for (uint32_t b = a + 1; b < 256; ++b) {
            const Colour cb = ColourAt(palette, b);
            const Colour average = {(ca.red + cb.red) / 2, (ca.green + cb.green) / 2,
                                    (ca.blue + cb.blue) / 2};
            const auto nearest = static_cast<uint8_t>(NearestIndex(byRed, palette, average));
            table[a * 256 + b] = nearest;
            table[b * 256 + a] = nearest;
        }
    }
}

void BuildSmoothingTable16(uint16_t* table, const uint8_t* palette, bool sixFiveFive) {
    // Halving each channel first keeps the sum within 8 bits.
    for (uint32_t a = 0; a < 256; ++a) {
        const uint8_t* ca = palette + 3 * a;
        for (uint32_t b = 0; b < 256; ++b) {
            const uint8_t* cb = palette + 3 * b;
            const uint32_t red = (ca[0] >> 1) + (cb[0] >> 1);
            const uint32_t green = (ca[1] >> 1) + (cb[1] >> 1);
            const uint32_t blue = (ca[2] >> 1) + (cb[2] >> 1);
            table[a * 256 + b] = static_cast<uint16_t>(
                sixFiveFive ? (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3
                            : (red >> 3) << 10 | (green >> 3) << 5 | blue >> 3);
        }
    }
}

}  // namespace tavik
