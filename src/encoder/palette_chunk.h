// Palette chunks: the new palette described against the previous one.
#pragma once

#include <cstdint>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::enc {

// The chunk that turns `previous` into `target`, both as the decoder holds them (every
// component already quantized): length byte, codes, zero padding to a multiple of 4 bytes.
std::vector<uint8_t> EncodePaletteChunk(const Palette& previous, const Palette& target);

}  // namespace tavik::enc
