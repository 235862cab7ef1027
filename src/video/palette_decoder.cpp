// Palette chunks describe the new palette against the previous one: keep runs, copy runs from
// elsewhere in the previous palette, and new colours of 6 bits per component.
//
// Malformed chunks are clamped, never followed outside the palettes:
// - a keep or copy run stops at entry 255;
// - copy-run sources past entry 255 keep the previous colour at the destination (as a keep run);
// - green and blue bytes of 64 or more use their low 6 bits, like red always does;
// - a chunk that ends before all 256 entries are made leaves the rest as they were.
#include "video/palette_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tavik {

namespace {

constexpr uint32_t kEntries = 256;

constexpr uint8_t Expand6(uint32_t component) {
    const uint32_t c = component & 0x3F;
    return static_cast<uint8_t>(c << 2 | c >> 4);
}

}  // namespace

void DecodePaletteChunk(const uint8_t* chunk, uint32_t available, uint8_t* palette) {
    std::array<uint8_t, kEntries * 3> previous;
    std::memcpy(previous.data(), palette, previous.size());
    uint32_t entry = 0;
    uint32_t at = 1;  // past the length byte
    while (entry < kEntries && at < available) {
        const uint32_t code = chunk[at];
        if (code >= 0x80) {
            // Keep run: the entries already hold the previous palette's colours.
            entry += std::min((code & 0x7F) + 1, kEntries - entry);
            at += 1;
        } else if (code >= 0x40) {
            if (available - at < 2) break;
            const uint32_t source = chunk[at + 1];
            const uint32_t count = std::min((code & 0x3F) + 1, kEntries - entry);
            const uint32_t copied = std::min(count, kEntries - source);
            std::memcpy(palette + 3 * entry, previous.data() + 3 * source, 3 * copied);
            entry += count;
            at += 2;
        } else {
            if (available - at < 3) break;
            palette[3 * entry] = Expand6(code);
            palette[3 * entry + 1] = Expand6(chunk[at + 1]);
            palette[3 * entry + 2] = Expand6(chunk[at + 2]);
            entry += 1;
            at += 3;
        }
    }
}

}  // namespace tavik
