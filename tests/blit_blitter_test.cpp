// The blitter record: modes from flags, names, palette layouts, when tables are rebuilt, and the
// smoothing tables against an exhaustive nearest-colour search.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "blit/blitter_record.h"
#include "blit/smoothing_table.h"
#include "blit_reference.h"
#include "tavik/tavik.h"
#include "video/frame_helpers.h"

namespace tavik {
namespace {

using std::tuple;

TEST(BlitterModes, FollowFromTheFlags) {
    const tuple<uint32_t, uint32_t, const char*> cases[] = {
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
    const std::vector<uint8_t> colours(768, 9);
    for (const auto& [flags, mode, name] : cases) {
        TavikBlitter* blitter = BlitterOpen(flags);
        ASSERT_NE(blitter, nullptr);
        EXPECT_EQ(
            tuple(blitter->Mode, blitter->Flags, blitter->FirstPalette, blitter->PaletteVersion),
            tuple(mode, flags, 1u, 0u));
        // One allocation: every table lies inside the size its mode group is given.
        const auto* end = reinterpret_cast<const uint8_t*>(blitter) + BlitterAllocationSize(mode);
        const auto* smoothing = static_cast<const uint8_t*>(blitter->SmoothingTable);
        EXPECT_EQ(tuple(blitter->Palette != nullptr, blitter->ColourTable != nullptr,
                        smoothing != nullptr),
                  tuple(mode > 2, mode >= 6, mode == 3 || mode == 9));
        EXPECT_TRUE(!blitter->Palette || blitter->Palette + kPaletteBytes <= end);
        EXPECT_TRUE(!smoothing || smoothing + 2 * 65536 <= end);
        char text[TAVIK_BLITTER_NAME_SIZE];
        EXPECT_STREQ(BlitterName(blitter, text), name);
        // 8-bit unscaled and doubled keep no palette.
        BlitterSetPalette(blitter, colours.data(), 0);
        EXPECT_EQ(tuple(blitter->PaletteVersion, blitter->FirstPalette),
                  tuple(mode <= 2 ? 0u : 1u, mode <= 2 ? 1u : 0u));
        BlitterClose(blitter);
    }
    EXPECT_EQ(tuple(BlitterAllocationSize(0), BlitterAllocationSize(6), BlitterAllocationSize(3),
                    BlitterAllocationSize(9)),
              tuple(256u, 1536u, 132096u, 132608u));
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

// Only the doubling and interlacing loops have wide forms.
TEST(BlitterModes, NamesTellWhenTheWideLoopsRun) {
    const bool hasWide = UseMMX(1) == 1;
    char text[TAVIK_BLITTER_NAME_SIZE];
    for (const uint32_t flags :
         {uint32_t{BlitterDouble}, uint32_t{BlitterInterlaced}, TAVIK_BLITTER_565 | BlitterDouble,
          TAVIK_BLITTER_555 | BlitterInterlaced, 0u, uint32_t{BlitterSmoothing}, TAVIK_BLITTER_555,
          TAVIK_BLITTER_565 | BlitterSmoothing}) {
        TavikBlitter* blitter = BlitterOpen(flags);
        const std::string plain = BlitterModeName(blitter->Mode);
        const bool wide = hasWide && blitter->Mode % 6 != 0 && blitter->Mode % 6 != 3;
        EXPECT_EQ(BlitterName(blitter, text), wide ? plain + " using MMX" : plain);
        UseMMX(0);
        EXPECT_EQ(BlitterName(blitter, text), plain);
        EXPECT_EQ(UseMMX(2), 0u);  // naming did not switch anything back on
        UseMMX(1);
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
        EXPECT_EQ(tuple(blitter->PaletteVersion, blitter->FirstPalette, blitter->ColourTableVersion,
                        blitter->SmoothingVersion, blitter->SmoothingKind),
                  tuple(1u, 0u, sixteen ? 1u : 0u, smoothing ? 1u : 0u,
                        smoothing ? (sixteen ? 16u : 8u) : 0u));

        auto colours = testing::RandomBytes(random, 768);
        for (uint32_t change = 2; change <= 4; ++change) {
            colours[3 * 17] ^= 0x80;
            BlitterSetPalette(blitter, colours.data(), 0);
            BlitterSetPalette(blitter, InLayout(colours, 6).data(), 6);  // same colours
            BlitterSetPalette(blitter, colours.data(), 0);
            EXPECT_EQ(tuple(blitter->PaletteVersion, blitter->ColourTableVersion,
                            blitter->SmoothingVersion),
                      tuple(change, sixteen ? change : 0u, smoothing ? change : 0u));
        }
        if (sixteen) {
            const bool sixFiveFive = (flags & TAVIK_BLITTER_FORMAT_MASK) == TAVIK_BLITTER_565;
            const auto expected = testing::ReferenceColourTable(colours.data(), sixFiveFive);
            EXPECT_EQ(std::memcmp(blitter->ColourTable, expected.data(), 512), 0);
        }
        BlitterClose(blitter);
    }
}

// Random palettes, palettes drawn from a few colours so that ties and repeats abound, and
// palettes of four levels per channel.
TEST(BlitSmoothingTable, EightBitIsTheNearestAverage) {
    std::mt19937 random(99);
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<uint8_t> palette = testing::RandomBytes(random, 768);
        const auto few = testing::RandomBytes(random, 3 * 12);
        for (int i = 0; i < 256 && kind == 1; ++i)
            std::copy_n(&few[3 * (random() % 12)], 3, &palette[3 * i]);
        for (auto& channel : palette) channel &= kind == 2 ? 0xC0 : 0xFF;
        std::vector<uint8_t> table(65536);
        BuildSmoothingTable8(table.data(), palette.data());
        for (int a = 0; a < 256; ++a) {
            ASSERT_EQ(table[a * 256 + a], a);
            for (int b = a + 1; b < 256; ++b) {
                // The nearest colour to the halved sums, every candidate tried; ties go to the
                // lowest red, then the lowest index.
                int target[3];
                for (int k = 0; k < 3; ++k)
                    target[k] = (palette[3 * a + k] + palette[3 * b + k]) / 2;
                std::tuple<int, int, int> best{1 << 30, 0, 0};  // distance, red, index
                for (int c = 0; c < 256; ++c) {
                    int distance = 0;
                    for (int k = 0; k < 3; ++k)
                        distance +=
                            (target[k] - palette[3 * c + k]) * (target[k] - palette[3 * c + k]);
                    best = std::min(best, std::make_tuple(distance, int(palette[3 * c]), c));
                }
                ASSERT_EQ(table[a * 256 + b], table[b * 256 + a]);
                ASSERT_EQ(table[a * 256 + b], std::get<2>(best))
                    << "kind " << kind << " pair " << a << "," << b;
            }
        }
    }
}

TEST(BlitSmoothingTable, SixteenBitAveragesHalvedChannels) {
    std::mt19937 random(5);
    const auto palette = testing::RandomBytes(random, 768);
    for (const bool sixFiveFive : {false, true}) {
        std::vector<uint16_t> table(65536);
        BuildSmoothingTable16(table.data(), palette.data(), sixFiveFive);
        const auto colours = testing::ReferenceColourTable(palette.data(), sixFiveFive);
        for (int a = 0; a < 256; ++a) {
            ASSERT_EQ(table[a * 256 + a], colours[a]);
            for (int b = 0; b < 256; ++b) {
                auto half = [&](int k) { return palette[3 * a + k] / 2 + palette[3 * b + k] / 2; };
                ASSERT_EQ(table[a * 256 + b],
                          testing::ReferencePixel(half(0), half(1), half(2), sixFiveFive))
                    << a << "," << b;
            }
        }
    }
}

}  // namespace
}  // namespace tavik
