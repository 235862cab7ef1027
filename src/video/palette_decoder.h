// Decoding a palette chunk against the current palette.
#pragma once

#include <cstdint>

namespace tavik {

// `chunk` points at the chunk's length byte; `available` is how many bytes may be read from
// there (the rest of the frame). `palette` is 256 RGB triples, updated in place.
void DecodePaletteChunk(const uint8_t* chunk, uint32_t available, uint8_t* palette);

}  // namespace tavik
