// Refining the quantiser's colours for the squared error in plain RGB, which is what the block
// coder measures: the quantiser weighs colours perceptually, so a few steps of moving each colour
// to the mean of the pixels nearest to it lower the error noticeably.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/colour.h"

namespace tavik::enc {

// `pictures` hold `pixels` RGB triples each; `fixed` colours stay where they are but take their
// pixels; `colours` move. At most 256 colours in all.
void RefineColours(const std::vector<const uint8_t*>& pictures, size_t pixels,
                   const std::vector<Rgb>& fixed, std::vector<Rgb>& colours, int steps);

}  // namespace tavik::enc
