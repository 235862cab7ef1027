// Palettes made by the quantiser (libimagequant) from the colours of one or more pictures, at the
// format's precision of 6 bits per component.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/colour.h"

namespace tavik::enc {

// The colours that best represent the pictures (each width x height RGB triples) next to the
// `fixed` colours, which stay in the palette anyway: at most `freeEntries` colours, none of them
// equal to a fixed one, every component decodable exactly. Fails only when this build has no
// quantiser or the quantiser fails.
bool QuantiseColours(const std::vector<const uint8_t*>& pictures, uint32_t width, uint32_t height,
                     const std::vector<Rgb>& fixed, int freeEntries, std::vector<Rgb>& colours,
                     std::string& error);

}  // namespace tavik::enc
