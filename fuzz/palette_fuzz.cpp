// Fuzzes the palette chunk decoder with a chunk exactly as long as the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "video/palette_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t palette[768];
    for (int i = 0; i < 768; ++i) palette[i] = static_cast<uint8_t>(i);
    // A copy, so that the sanitizer sees reads one past the chunk.
    const std::vector<uint8_t> chunk(data, data + size);
    tavik::DecodePaletteChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), palette);
    return 0;
}
