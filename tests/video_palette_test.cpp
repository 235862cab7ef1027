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

std::array<uint8_t, 3> EntryOf(const Palette& p, uint32_t i) {
    return {p[3 * i], p[3 * i + 1], p[3 * i + 2]};
}

// Decodes `codes` (after a length byte) from a buffer exactly as long as the chunk.
Palette Decode(const std::vector<uint8_t>& codes, Palette palette = Numbered()) {
    std::vector<uint8_t> chunk = {static_cast<uint8_t>((codes.size() + 4) / 4)};
    chunk.insert(chunk.end(), codes.begin(), codes.end());
    DecodePaletteChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), palette.data());
    return palette;
}

TEST(VideoPalette, KeepRunsLeaveEntriesAsTheyWere) {
    EXPECT_EQ(Decode({0xFF, 0xFF}), Numbered());
}

TEST(VideoPalette, CopyRunsReadTheWholePreviousPalette) {
    // Keep 64, copy entries 0-63 to 64-127, keep the rest.
    const Palette p = Decode({0xBF, 0x7F, 0x00, 0xFF});
    const Palette before = Numbered();
    for (uint32_t i = 0; i < 64; ++i) EXPECT_EQ(EntryOf(p, 64 + i), EntryOf(before, i));
    EXPECT_EQ(EntryOf(p, 200), EntryOf(before, 200));
    // Overlapping: entries 1 and 2 take the old 0 and 1, not the new ones.
    const Palette o = Decode({0x80, 0x41, 0x00, 0xFF, 0xFF});
    EXPECT_EQ(EntryOf(o, 1), EntryOf(before, 0));
    EXPECT_EQ(EntryOf(o, 2), EntryOf(before, 1));
}

TEST(VideoPalette, NewColoursExpandSixBitsToEight) {
    const Palette p =
        Decode({0x3F, 0x3F, 0x3F, 0x00, 0x00, 0x00, 0x20, 0x10, 0x01, 0x01, 0x7F, 0xC0, 0xFF});
    EXPECT_EQ(EntryOf(p, 0), (std::array<uint8_t, 3>{255, 255, 255}));
    EXPECT_EQ(EntryOf(p, 1), (std::array<uint8_t, 3>{0, 0, 0}));
    EXPECT_EQ(EntryOf(p, 2), (std::array<uint8_t, 3>{130, 65, 4}));
    // Green and blue of 64 or more use their low six bits.
    EXPECT_EQ(EntryOf(p, 3), (std::array<uint8_t, 3>{4, 255, 0}));
    EXPECT_EQ(EntryOf(p, 4), EntryOf(Numbered(), 4));
}

TEST(VideoPalette, RunsPastTheLastEntryAreClamped) {
    const Palette before = Numbered();
    // Keep 250, then a copy run of 64 from entry 240: entries 250-255 take old 240-245.
    const Palette p = Decode({0xFF, 0xF9, 0x7F, 240});
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(EntryOf(p, 250 + i), EntryOf(before, 240 + i));
    // A copy source that passes entry 255 keeps the previous colours beyond it.
    const Palette q = Decode({0x43, 250, 0xFF, 0xFF});
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(EntryOf(q, i), EntryOf(before, 250 + i));
    const Palette r = Decode({0x4F, 250, 0xFF, 0xFF});
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(EntryOf(r, i), EntryOf(before, 250 + i));
    for (uint32_t i = 6; i < 16; ++i) EXPECT_EQ(EntryOf(r, i), EntryOf(before, i));
}

TEST(VideoPalette, ChunksThatEndEarlyKeepTheRest) {
    const Palette before = Numbered();
    // A new colour, then a code cut short: only entry 0 changes.
    Palette p = Decode({0x01, 0x02, 0x03, 0x3F, 0x3F});
    EXPECT_EQ(EntryOf(p, 0), (std::array<uint8_t, 3>{4, 8, 12}));
    for (uint32_t i = 1; i < 256; ++i) ASSERT_EQ(EntryOf(p, i), EntryOf(before, i));
    // A copy code without its start index, and a chunk of nothing but its length byte.
    EXPECT_EQ(Decode({0x80, 0x7F}), before);
    Palette q = before;
    const uint8_t length = 1;
    DecodePaletteChunk(&length, 1, q.data());
    EXPECT_EQ(q, before);
    DecodePaletteChunk(&length, 0, q.data());
    EXPECT_EQ(q, before);
}

}  // namespace
}  // namespace tavik
