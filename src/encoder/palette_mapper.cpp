#include "encoder/palette_mapper.h"

#include <algorithm>
#include <climits>

namespace tavik::enc {

namespace {

constexpr uint32_t kKeys = 1u << 18;

// A 4x4 ordered-dither matrix, centred on 0, in eighths of a 6-bit step (one step is 4 levels).
constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
constexpr int kOrderedAmplitude = 10;  // levels from the darkest to the brightest offset

}  // namespace

PaletteMapper::PaletteMapper() : cache_(kKeys, 0) {}

void PaletteMapper::SetPalette(const Palette& palette) {
    if (hasPalette_ && palette == palette_) return;
    palette_ = palette;
    hasPalette_ = true;
    std::fill(cache_.begin(), cache_.end(), 0);
}

uint8_t PaletteMapper::Search(uint32_t key) {
    const int r = ExpandComponent(static_cast<uint8_t>(key >> 12));
    const int g = ExpandComponent(static_cast<uint8_t>(key >> 6 & 63));
    const int b = ExpandComponent(static_cast<uint8_t>(key & 63));
    int best = 0, bestDistance = INT_MAX;
    for (int i = 0; i < 256; ++i) {
        const int d = Distance2(r, g, b, palette_[3 * i], palette_[3 * i + 1], palette_[3 * i + 2]);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    cache_[key] = static_cast<uint16_t>(best + 1);
    return static_cast<uint8_t>(best);
}

void PaletteMapper::Map(const uint8_t* rgb, uint32_t width, uint32_t height, Dither dither,
                        uint8_t* out) {
    const size_t pixels = size_t{width} * height;
    if (dither == Dither::kNone) {
        for (size_t i = 0; i < pixels; ++i, rgb += 3) out[i] = Nearest(rgb[0], rgb[1], rgb[2]);
        return;
    }
    if (dither == Dither::kOrdered) {
        for (uint32_t y = 0; y < height; ++y) {
            for (uint32_t x = 0; x < width; ++x, rgb += 3) {
                const int offset = (kBayer[y & 3][x & 3] * 2 - 15) * kOrderedAmplitude / 30;
                *out++ = Nearest(rgb[0] + offset, rgb[1] + offset, rgb[2] + offset);
            }
        }
        return;
    }
    // Floyd-Steinberg: 7/16 right, 3/16 down-left, 5/16 down, 1/16 down-right.
    const size_t rowValues = (size_t{width} + 2) * 3;
    errors_.assign(2 * rowValues, 0);
    for (uint32_t y = 0; y < height; ++y) {
        int16_t* here = errors_.data() + (y & 1) * rowValues + 3;
        int16_t* below = errors_.data() + ((y + 1) & 1) * rowValues + 3;
        std::fill(below - 3, below - 3 + rowValues, 0);
        for (uint32_t x = 0; x < width; ++x, rgb += 3) {
            int16_t* right =
                here + 3 * size_t{x};  // this pixel's error, then its right neighbour's
            int16_t* down = below + 3 * size_t{x};
            int want[3];
            for (int c = 0; c < 3; ++c) want[c] = Clamp(rgb[c] + right[c] / 16);
            const uint8_t index = Nearest(want[0], want[1], want[2]);
            *out++ = index;
            for (int c = 0; c < 3; ++c) {
                const int e = want[c] - palette_[3 * index + c];
                right[3 + c] = static_cast<int16_t>(right[3 + c] + 7 * e);
                down[c - 3] = static_cast<int16_t>(down[c - 3] + 3 * e);
                down[c] = static_cast<int16_t>(down[c] + 5 * e);
                down[c + 3] = static_cast<int16_t>(down[c + 3] + e);
            }
        }
    }
}

}  // namespace tavik::enc
