// The blitter record: modes from flags, names, palette layouts and when tables are rebuilt.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "blit/blitter_record.h"
#include "blit_reference.h"
#include "tavik/tavik.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

TEST(BlitterModes, FollowFromTheFlags) {
    struct Case {
        uint32_t flags, mode;
        const char* name;
    };
    const Case cases[] = {
        {0, 0, "8-bit 1x"},
        {BlitterUnscaled, 0, "8-bit 1x"},
        {BlitterDouble, 1, "8-bit 2x"},
        {BlitterDouble | BlitterInterlaced, 2, "8-bit 2x Interlaced"},
        {BlitterDouble | BlitterSmoothing | BlitterInterlaced, 3, "8-bit 2x Smoothing"},
        {TAVIK_BLITTER_555 | BlitterUnscaled, 6, "16-bit 1x"},
        {TAVIK_BLITTER_565 | BlitterDouble, 7, "16-bit 2x"},
        {TAVIK_BLITTER_565 | BlitterInterlaced, 8, "16-bit 2x Interlaced"},
        {TAVIK_BLITTER_555 | BlitterSmoothing | BlitterDouble, 9, "16-bit 2x Smoothing"},
    };
    UseMMX(0);
    for (const Case& c : cases) {
        TavikBlitter* blitter = BlitterOpen(c.flags);
        ASSERT_NE(blitter, nullptr);
        EXPECT_EQ(blitter->Mode, c.mode) << std::hex << c.flags;
        EXPECT_EQ(blitter->Flags, c.flags);
        EXPECT_EQ(blitter->FirstPalette, 1u);
        EXPECT_EQ(blitter->PaletteVersion, 0u);
        // One allocation: every table lies inside the size its mode group is given.
        const auto* start = reinterpret_cast<const uint8_t*>(blitter);
        const size_t size = BlitterAllocationSize(c.mode);
        EXPECT_EQ(blitter->Palette != nullptr, c.mode != 0 && c.mode != 1 && c.mode != 2);
        EXPECT_EQ(blitter->ColourTable != nullptr, c.mode >= 6);
        EXPECT_EQ(blitter->SmoothingTable != nullptr, c.mode == 3 || c.mode == 9);
        if (blitter->Palette) {
            EXPECT_LE(blitter->Palette + kPaletteBytes, start + size);
        }
        if (blitter->SmoothingTable) {
            EXPECT_LE(static_cast<const uint8_t*>(blitter->SmoothingTable) + 2 * 65536,
                      start + size);
        }
        char text[TAVIK_BLITTER_NAME_SIZE];
        EXPECT_STREQ(BlitterName(blitter, text), c.name);
        BlitterClose(blitter);
    }
    EXPECT_EQ(BlitterAllocationSize(0), 256u);
    EXPECT_EQ(BlitterAllocationSize(6), 1536u);
    EXPECT_EQ(BlitterAllocationSize(3), 132096u);
    EXPECT_EQ(BlitterAllocationSize(9), 132608u);
    UseMMX(1);
}

TEST(BlitterModes, BitThirtyAloneIsRefusedAndNullIsHarmless) {
    EXPECT_EQ(BlitterOpen(0x40000000u | BlitterDouble), nullptr);
    BlitterClose(nullptr);
    BlitterSetPalette(nullptr, "x", 0);
    char text[TAVIK_BLITTER_NAME_SIZE] = "junk";
    EXPECT_STREQ(BlitterName(nullptr, text), "");
    EXPECT_STREQ(BlitterModeName(4), "");
    EXPECT_STREQ(BlitterModeName(5), "");
}

TEST(BlitterModes, NamesTellWhenTheWideLoopsRun) {
    const bool hasWide = UseMMX(1) == 1;
    char text[TAVIK_BLITTER_NAME_SIZE];
    for (const uint32_t flags :
         {uint32_t{BlitterDouble}, uint32_t{BlitterInterlaced}, TAVIK_BLITTER_565 | BlitterDouble,
          TAVIK_BLITTER_555 | BlitterInterlaced}) {
        TavikBlitter* blitter = BlitterOpen(flags);
        const std::string plain = BlitterModeName(blitter->Mode);
        EXPECT_EQ(BlitterName(blitter, text), hasWide ? plain + " using MMX" : plain);
        UseMMX(0);
        EXPECT_EQ(BlitterName(blitter, text), plain);
        EXPECT_EQ(UseMMX(2), 0u);  // naming did not switch anything back on
        UseMMX(1);
        BlitterClose(blitter);
    }
    for (const uint32_t flags : {0u, uint32_t{BlitterSmoothing}, TAVIK_BLITTER_555,
                                 TAVIK_BLITTER_565 | BlitterSmoothing}) {
        TavikBlitter* blitter = BlitterOpen(flags);
        EXPECT_STREQ(BlitterName(blitter, text), BlitterModeName(blitter->Mode));
        BlitterClose(blitter);
    }
}

// The same 256 colours written in every layout word the blitter understands.
std::vector<uint8_t> InLayout(const std::vector<uint8_t>& rgb, uint32_t layout) {
    const size_t channelBytes = (layout & 1) ? 2 : 1;
    const size_t channels = (layout & 4) ? 4 : 3;
    const size_t first = (layout & 4) && (layout & 8) ? 1 : 0;
    std::vector<uint8_t> out(256 * channels * channelBytes, 0xEE);
    for (size_t i = 0; i < 256; ++i) {
        for (size_t k = 0; k < 3; ++k) {
            const uint8_t value = rgb[3 * i + ((layout & 2) ? 2 - k : k)];
            uint8_t* at = out.data() + (i * channels + first + k) * channelBytes;
            if (channelBytes == 2) {
                const auto wide = static_cast<uint16_t>(0x5A00 | value);  // high byte ignored
                std::memcpy(at, &wide, 2);
            } else {
                *at = value;
            }
        }
    }
    return out;
}

TEST(BlitterPalette, EveryLayoutGivesTheSameColours) {
    std::mt19937 random(77);
    const auto rgb = testing::RandomBytes(random, 768);
    for (uint32_t layout = 0; layout < 16; ++layout) {
        TavikBlitter* blitter = BlitterOpen(TAVIK_BLITTER_565);
        BlitterSetPalette(blitter, InLayout(rgb, layout).data(), layout);
        EXPECT_EQ(std::memcmp(blitter->Palette, rgb.data(), 768), 0) << "layout " << layout;
        BlitterClose(blitter);
    }
}

TEST(BlitterPalette, OnlyRealChangesRebuild) {
    std::mt19937 random(78);
    const std::vector<uint8_t> black(768, 0);
    for (const uint32_t flags : {uint32_t{BlitterSmoothing}, TAVIK_BLITTER_555 | BlitterDouble,
                                 TAVIK_BLITTER_565 | BlitterSmoothing}) {
        TavikBlitter* blitter = BlitterOpen(flags);
        const bool sixteen = blitter->Mode >= 6;
        const bool smoothing = blitter->Mode == 3 || blitter->Mode == 9;
        // The first palette builds even when it matches the cleared copy.
        BlitterSetPalette(blitter, black.data(), 0);
        EXPECT_EQ(blitter->PaletteVersion, 1u);
        EXPECT_EQ(blitter->FirstPalette, 0u);
        EXPECT_EQ(blitter->ColourTableVersion, sixteen ? 1u : 0u);
        EXPECT_EQ(blitter->SmoothingVersion, smoothing ? 1u : 0u);
        EXPECT_EQ(blitter->SmoothingKind, smoothing ? (sixteen ? 16u : 8u) : 0u);

        auto colours = testing::RandomBytes(random, 768);
        for (int change = 2; change <= 4; ++change) {
            colours[3 * 17] ^= 0x80;
            BlitterSetPalette(blitter, colours.data(), 0);
            BlitterSetPalette(blitter, InLayout(colours, 6).data(), 6);  // same colours
            BlitterSetPalette(blitter, colours.data(), 0);
            EXPECT_EQ(blitter->PaletteVersion, uint32_t(change));
            EXPECT_EQ(blitter->ColourTableVersion, sixteen ? uint32_t(change) : 0u);
            EXPECT_EQ(blitter->SmoothingVersion, smoothing ? uint32_t(change) : 0u);
        }
        if (sixteen) {
            const bool sixFiveFive = (flags & TAVIK_BLITTER_FORMAT_MASK) == TAVIK_BLITTER_565;
            const auto expected = testing::ReferenceColourTable(colours.data(), sixFiveFive);
            EXPECT_EQ(std::memcmp(blitter->ColourTable, expected.data(), 512), 0);
        }
        BlitterClose(blitter);
    }
}

TEST(BlitterPalette, EightBitUnscaledKeepsNoPalette) {
    TavikBlitter* blitter = BlitterOpen(BlitterDouble);
    const std::vector<uint8_t> colours(768, 9);
    BlitterSetPalette(blitter, colours.data(), 0);
    EXPECT_EQ(blitter->Palette, nullptr);
    EXPECT_EQ(blitter->PaletteVersion, 0u);
    EXPECT_EQ(blitter->FirstPalette, 1u);
    BlitterClose(blitter);
}

}  // namespace
}  // namespace tavik
