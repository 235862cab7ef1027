// Maps truecolour pixels to the nearest entries of a palette, with or without dithering. The
// nearest entry is looked up once per 6-bit colour and kept until the palette changes, so a
// picture maps at a few table reads per pixel.
#pragma once

#include <cstdint>
#include <vector>

#include "encoder/authoring.h"
#include "encoder/colour.h"

namespace tavik::enc {

class PaletteMapper {
  public:
    PaletteMapper();

    // Forgets every looked-up colour when the palette differs from the last one.
    void SetPalette(const Palette& palette);
    const Palette& palette() const { return palette_; }

    uint8_t Nearest(int r, int g, int b) {
        r = Clamp(r), g = Clamp(g), b = Clamp(b);
        const uint32_t key = static_cast<uint32_t>(r >> 2 << 12 | g >> 2 << 6 | b >> 2);
        const uint16_t cached = cache_[key];
        return cached ? static_cast<uint8_t>(cached - 1) : Search(key);
    }

    // rgb: width x height triples; out: width x height indices. Ordered dithering depends on the
    // position only, so an unchanged part of a picture maps to the same indices every time;
    // diffusion carries each pixel's error to its neighbours.
    void Map(const uint8_t* rgb, uint32_t width, uint32_t height, Dither dither, uint8_t* out);

  private:
    static int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
    uint8_t Search(uint32_t key);

    Palette palette_{};
    bool hasPalette_ = false;
    std::vector<uint16_t> cache_;  // 6-bit RGB key -> entry + 1; 0 = not looked up yet
    std::vector<int16_t> errors_;  // diffusion: two rows of RGB errors
};

}  // namespace tavik::enc
