// A 5x7 bitmap font for the demo movie's text.
#pragma once

#include <cstdint>

namespace tavik::enc {

constexpr int kGlyphWidth = 5, kGlyphHeight = 7;

// Seven rows of the glyph, bit 4 the leftmost column. Letters are upper case; characters the
// font lacks come out blank.
const uint8_t* Glyph(char c);

}  // namespace tavik::enc
