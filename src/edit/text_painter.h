// Draws text layers into a palettised picture: each pixel the text covers is blended with the
// colour beneath it and takes the palette entry nearest to the result.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "edit/text_source.h"

namespace tavik::edit {

struct Box {
    uint32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool Empty() const { return right <= left || bottom <= top; }
};

class TextPainter {
  public:
    // Pictures of width x height; text is drawn only inside `codedWidth` x `codedHeight` (the
    // part the blocks cover).
    TextPainter(uint32_t width, uint32_t height, uint32_t codedWidth, uint32_t codedHeight);

    // `target` = `picture` with the layers drawn through `palette` (768 bytes). Without
    // antialiasing a pixel takes a layer's colour where that layer covers at least half of it
    // and is left alone elsewhere: fewer distinct colours, a cheaper picture to code. Returns the
    // box around the layers (empty when they draw nothing).
    Box Draw(const std::vector<TextLayer>& layers, const uint8_t* palette, const uint8_t* picture,
             bool antialias, uint8_t* target);

  private:
    uint8_t Nearest(const uint8_t* palette, uint32_t rgb);

    uint32_t width_, height_, codedWidth_, codedHeight_;
    std::vector<uint8_t> rgb_;      // the blended colours, width x height x 3
    std::vector<uint8_t> covered_;  // width x height
    Box last_;
    // Nearest entries found for the current palette: open addressing on the colour.
    std::array<uint8_t, 768> cachePalette_{};
    bool cacheValid_ = false;
    std::vector<uint32_t> cacheKeys_;  // colour + 1; 0 = empty
    std::vector<uint8_t> cacheEntries_;
    uint32_t cacheUsed_ = 0;
};

}  // namespace tavik::edit
