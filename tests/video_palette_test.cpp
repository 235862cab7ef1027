// Palette chunks: keep runs, copy runs from the previous palette, new 6-bit colours, and the
// clamping of chunks that run past the palette or end early.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "video/palette_decoder.h"

namespace tavik {
namespace {

using Palette = std::array<uint8_t, 768>;

Palette Numbered() {
    Palette p;
    for (uint32_t i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(i / 3 + i % 3 * 85);
    return p;
}

struct Case {
    std::vector<uint8_t> codes;                        // after the length byte
    std::vector<std::array<uint32_t, 3>> runs;         // entries to, from the old from, count
    std::vector<std::array<uint8_t, 4>> colours = {};  // entry, red, green, blue
};

TEST(VideoPalette, ChunksRewriteOnlyTheirEntries) {
    const Case cases[] = {
        {{0xFF, 0xFF}, {}},                             // keep runs only
        {{0xBF, 0x7F, 0x00, 0xFF}, {{64, 0, 64}}},      // keep 64, copy 0-63 to 64-127
        {{0x80, 0x41, 0x00, 0xFF, 0xFF}, {{1, 0, 2}}},  // overlapping: copies the old entries
        // Six bits widen to eight; green and blue of 64 or more use their low six bits.
        {{0x3F, 0x3F, 0x3F, 0x00, 0x00, 0x00, 0x20, 0x10, 0x01, 0x01, 0x7F, 0xC0, 0xFF},
         {},
         {{0, 255, 255, 255}, {1, 0, 0, 0}, {2, 130, 65, 4}, {3, 4, 255, 0}}},
        {{0xFF, 0xF9, 0x7F, 240}, {{250, 240, 6}}},  // a copy run clamped at entry 255
        {{0x43, 250, 0xFF, 0xFF}, {{0, 250, 4}}},
        {{0x4F, 250, 0xFF, 0xFF}, {{0, 250, 6}}},               // a source past 255 keeps the rest
        {{0x01, 0x02, 0x03, 0x3F, 0x3F}, {}, {{0, 4, 8, 12}}},  // a code cut short
        {{0x80, 0x7F}, {}},  // a copy code without its start index
        {{}, {}},            // nothing but the length byte
    };
    const Palette before = Numbered();
    for (const Case& c : cases) {
        Palette expected = before;
        for (const auto& [to, from, count] : c.runs)
            std::copy_n(before.begin() + 3 * from, 3 * count, expected.begin() + 3 * to);
        for (const auto& [entry, r, g, b] : c.colours)
            expected[3 * entry] = r, expected[3 * entry + 1] = g, expected[3 * entry + 2] = b;
        // From a buffer exactly as long as the chunk.
        std::vector<uint8_t> chunk = {static_cast<uint8_t>((c.codes.size() + 4) / 4)};
        chunk.insert(chunk.end(), c.codes.begin(), c.codes.end());
        Palette palette = before;
        DecodePaletteChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), palette.data());
        EXPECT_EQ(palette, expected) << testing::PrintToString(c.codes);
        DecodePaletteChunk(chunk.data(), 0, palette.data());
        EXPECT_EQ(palette, expected);
    }
}

}  // namespace
}  // namespace tavik
