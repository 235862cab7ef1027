// The smoothing tables: for every pair of palette indices, the pixel of their average colour.
#pragma once

#include <cstdint>

namespace tavik {

// table[a * 256 + b]: the palette index nearest to the average of colours a and b (the first
// such in order of red, then index); table[a * 256 + a] is a. palette: 256 (R, G, B) triples.
void BuildSmoothingTable8(uint8_t* table, const uint8_t* palette);

// table[a * 256 + b]: the 16-bit pixel (5-6-5 when sixFiveFive, else 5-5-5) of the colour whose
// channels are (Ca div 2) + (Cb div 2).
void BuildSmoothingTable16(uint16_t* table, const uint8_t* palette, bool sixFiveFive);

}  // namespace tavik
