// The blitter: modes, palettes, and every mode's output against a per-pixel model that works
// the colours and smoothing out from the palette by the rules rather than the loops.
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
#include "blit/scalers.h"
#include "tavik/blitter.h"
#include "tavik/tavik.h"
#include "video/frame_helpers.h"
#include "video/processor_check.h"

namespace tavik {
namespace {

using std::tuple;

inline std::vector<uint8_t> RandomBytes(std::mt19937& random, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

// Kind 0 random, 1 drawn from a few colours (ties and repeats abound), 2 four levels a channel.
std::vector<uint8_t> TestPalette(std::mt19937& random, int kind) {
    std::vector<uint8_t> palette = RandomBytes(random, 768);
    const auto few = RandomBytes(random, 3 * 12);
    for (int i = 0; i < 256 && kind == 1; ++i)
        std::copy_n(&few[3 * (random() % 12)], 3, &palette[3 * i]);
    for (auto& channel : palette) channel &= kind == 2 ? 0xC0 : 0xFF;
    return palette;
}

// The 16-bit pixel of the average of the halved channels of colours `a` and `b` (for a = b
// the colour itself: halving drops only a low bit, which no format keeps).
uint16_t ReferencePixel(const uint8_t* palette, bool sixFiveFive, uint32_t a, uint32_t b) {
    auto half = [&](int k) { return palette[3 * a + k] / 2 + palette[3 * b + k] / 2; };
    return static_cast<uint16_t>(sixFiveFive
                                     ? (half(0) / 8) * 2048 + (half(1) / 4) * 32 + half(2) / 8
                                     : (half(0) / 8) * 1024 + (half(1) / 8) * 32 + half(2) / 8);
}

// The colour nearest to the halved sums, every candidate tried; ties go to the lowest red, then
// the lowest index.
uint32_t ReferenceNearest(const uint8_t* palette, uint32_t a, uint32_t b) {
    if (a == b) return a;
    std::tuple<int, int, uint32_t> best{1 << 30, 0, 0};  // distance, red, index
    for (uint32_t c = 0; c < 256; ++c) {
        int distance = 0;
        for (int k = 0; k < 3; ++k) {
            const int d = (palette[3 * a + k] + palette[3 * b + k]) / 2 - palette[3 * c + k];
            distance += d * d;
        }
        best = std::min(best, std::make_tuple(distance, int(palette[3 * c]), c));
    }
    return std::get<2>(best);
}

// Writes what Blit writes, one output pixel at a time. Rows of the destination are pitch bytes
// apart starting at destination; rows of the source sourcePitch apart starting at source.
inline void ReferenceBlit(uint32_t mode, const uint8_t* palette, bool sixFiveFive,
                          uint8_t* destination, ptrdiff_t pitch, uint32_t destinationX,
                          uint32_t destinationY, uint32_t sourceX, ptrdiff_t sourcePitch,
                          const uint8_t* source, uint32_t sourceY, uint32_t width,
                          uint32_t height) {
    const bool sixteen = mode >= 6;
    const uint32_t kind = mode % 6;  // 0 1x, 1 2x, 2 interlaced, 3 smoothing
    const ptrdiff_t scale = kind == 0 ? 1 : 2;
    auto put = [&](ptrdiff_t row, ptrdiff_t column, uint32_t value) {
        const uint16_t pixel = static_cast<uint16_t>(value);  // little-endian: low byte first
        std::memcpy(destination + row * pitch + column * (sixteen ? 2 : 1), &pixel,
                    sixteen ? 2 : 1);
    };
    auto pixelAt = [&](uint32_t row, uint32_t column) {
        return source[ptrdiff_t(sourceY + row) * sourcePitch + sourceX + column];
    };
    auto t = [&](uint32_t a, uint32_t b) -> uint32_t {
        return sixteen ? ReferencePixel(palette, sixFiveFive, a, b)
                       : ReferenceNearest(palette, a, b);
    };
    for (uint32_t j = 0; j < height; ++j) {
        for (uint32_t i = 0; i < width; ++i) {
            const uint32_t c = pixelAt(j, i);
            const ptrdiff_t row = scale * (destinationY + j);
            const ptrdiff_t column = scale * (destinationX + i);
            if (kind == 3) {
                const uint32_t l = i == 0 ? c : pixelAt(j, i - 1);
                const uint32_t u = j == 0 ? c : pixelAt(j - 1, i);
                put(row, column, t(l, u));
                put(row, column + 1, t(c, u));
                put(row + 1, column, t(c, l));
                put(row + 1, column + 1, t(c, c));
                continue;
            }
            const uint32_t value = sixteen ? t(c, c) : c;
            for (ptrdiff_t dy = 0; dy < (kind == 1 ? 2 : 1); ++dy)
                for (ptrdiff_t dx = 0; dx < scale; ++dx) put(row + dy, column + dx, value);
        }
    }
}

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
        // Only the doubling and interlacing loops have wide forms, and naming switches nothing.
        char text[TAVIK_BLITTER_NAME_SIZE];
        EXPECT_STREQ(BlitterName(blitter, text), name);
        UseMMX(1);
        const bool wide = UseMMX(2) == 1 && mode % 6 != 0 && mode % 6 != 3;
        EXPECT_EQ(BlitterName(blitter, text), wide ? std::string(name) + " using MMX" : name);
        UseMMX(0);
        EXPECT_EQ(tuple(std::string(BlitterName(blitter, text)), UseMMX(2)), tuple(name, 0u));
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

TEST(BlitterModes, BitThirtyAloneIsRefusedNullOrEmptyWriteNothingFirstChecksTheProcessor) {
    EXPECT_EQ(BlitterOpen(0x40000000u | BlitterDouble), nullptr);
    TavikBlitter* blitter = BlitterOpen(TAVIK_BLITTER_565 | BlitterDouble);
    std::vector<uint8_t> destination(64, 0xAB);
    const std::vector<uint8_t> source(16, 7);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 0, 2);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 2, 0);
    Blit(blitter, nullptr, 16, 0, 0, 0, 4, source.data(), 0, 2, 2);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, nullptr, 0, 2, 2);
    Blit(nullptr, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 2, 2);
    EXPECT_EQ(destination, std::vector<uint8_t>(64, 0xAB));
    // The first real blit with no wide-loop choice stored runs the processor check.
    ResetProcessorCheck();
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 2, 2);
    EXPECT_NE(ProcessorAnswer(), 0u);
    EXPECT_NE(destination, std::vector<uint8_t>(64, 0xAB));
    UseMMX(1);
    BlitterClose(blitter);
    BlitterClose(nullptr);
    BlitterSetPalette(nullptr, "x", 0);
    char text[TAVIK_BLITTER_NAME_SIZE] = "junk";
    EXPECT_STREQ(BlitterName(nullptr, text), "");
    EXPECT_STREQ(BlitterModeName(4), "");
    EXPECT_STREQ(BlitterModeName(5), "");
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
            const auto wide = static_cast<uint16_t>(0x5A00 | value);  // a high byte to ignore
            std::memcpy(out.data() + (i * channels + first + k) * channelBytes, &wide,
                        channelBytes);
        }
    }
    return out;
}

// Every layout word gives the same colours; only real changes rebuild the tables.
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

        auto colours = RandomBytes(random, 768);
        for (uint32_t change = 2; change <= 4; ++change) {
            colours[3 * 17] ^= 0x80;
            BlitterSetPalette(blitter, colours.data(), 0);
            for (uint32_t layout = 0; layout < 16; ++layout) {  // the same colours every way
                BlitterSetPalette(blitter, InLayout(colours, layout).data(), layout);
                EXPECT_EQ(std::memcmp(blitter->Palette, colours.data(), 768), 0) << layout;
            }
            EXPECT_EQ(tuple(blitter->PaletteVersion, blitter->ColourTableVersion,
                            blitter->SmoothingVersion),
                      tuple(change, sixteen ? change : 0u, smoothing ? change : 0u));
        }
        BlitterClose(blitter);
    }
}

// A picture of rows x rowBytes with rows pitch apart, in a buffer that holds exactly those bytes
// (so the address sanitizer sees any access past its ends). A negative pitch stores the rows
// bottom-up.
struct Picture {
    std::vector<uint8_t> bytes;
    ptrdiff_t pitch, zero;  // rows apart; where row zero starts

    Picture(std::mt19937& random, ptrdiff_t rows, ptrdiff_t rowBytes, ptrdiff_t rowPitch)
        : bytes(RandomBytes(random, size_t((rows - 1) * std::abs(rowPitch) + rowBytes))),
          pitch(rowPitch),
          zero(rowPitch < 0 ? (rows - 1) * -rowPitch : 0) {}
    uint8_t* RowZero() { return bytes.data() + zero; }
};

struct Trial {
    uint32_t width, height, destinationX, destinationY, sourceX, sourceY;
    Picture source, destination;
};

// A random rectangle in random pictures: odd widths up to 40, offsets, spare bytes at the end
// of rows or none, pitches of either sign, rectangles flush with the pictures' ends.
Trial RandomTrial(std::mt19937& random, uint32_t mode) {
    auto pick = [&](uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random);
    };
    const ptrdiff_t scale = mode % 6 == 0 ? 1 : 2, pixelBytes = mode >= 6 ? 2 : 1;
    auto offset = [&](uint32_t high) { return pick(0, 1) ? 0 : pick(1, high); };
    const uint32_t width = pick(1, 40), height = pick(1, 5), x = offset(7), y = offset(3),
                   sourceX = offset(9), sourceY = offset(3);
    const bool flush = pick(0, 2) == 0;
    auto spare = [&](uint32_t high) { return flush ? 0 : ptrdiff_t(pick(0, high)); };
    auto picture = [&](ptrdiff_t rows, ptrdiff_t rowBytes, ptrdiff_t pitchSpare) {
        const ptrdiff_t pitch = rowBytes + spare(pitchSpare);
        return Picture(random, rows, rowBytes, pick(0, 3) == 0 ? -pitch : pitch);
    };
    Picture source = picture(sourceY + height + spare(2), sourceX + width + spare(6), 3);
    Picture destination =
        picture(scale * (y + height) + spare(2), pixelBytes * (scale * (x + width) + spare(5)), 9);
    return {width, height, x, y, sourceX, sourceY, std::move(source), std::move(destination)};
}

class BlitEveryMode : public ::testing::TestWithParam<tuple<uint32_t, uint32_t>> {
  protected:
    void TearDown() override { UseMMX(1); }
};

TEST_P(BlitEveryMode, MatchesTheModelAndWritesNothingElse) {
    const uint32_t flags = std::get<0>(GetParam()) | std::get<1>(GetParam());
    std::mt19937 random(flags ^ 0x5eed);
    TavikBlitter* blitter = BlitterOpen(flags);
    ASSERT_NE(blitter, nullptr);
    const uint32_t mode = blitter->Mode;

    const bool sixFiveFive = (flags & TAVIK_BLITTER_FORMAT_MASK) == TAVIK_BLITTER_565;
    for (int kind = 0; kind < 3; ++kind) {
        const std::vector<uint8_t> palette = TestPalette(random, kind);
        BlitterSetPalette(blitter, palette.data(), 0);
        for (uint32_t wide = 0; wide <= 1; ++wide) {
            UseMMX(wide);
            for (int trial = 0; trial < 150; ++trial) {
                Trial g = RandomTrial(random, mode);
                Picture expected = g.destination;
                ReferenceBlit(mode, palette.data(), sixFiveFive, expected.RowZero(), expected.pitch,
                              g.destinationX, g.destinationY, g.sourceX, g.source.pitch,
                              g.source.RowZero(), g.sourceY, g.width, g.height);
                Blit(blitter, g.destination.RowZero(), int32_t(expected.pitch), g.destinationX,
                     g.destinationY, g.sourceX, int32_t(g.source.pitch), g.source.RowZero(),
                     g.sourceY, g.width, g.height);
                ASSERT_EQ(g.destination.bytes, expected.bytes)
                    << "mode " << mode << " kind " << kind << " wide " << wide << " w " << g.width
                    << " h " << g.height << " at " << g.destinationX << "," << g.destinationY
                    << " pitch " << expected.pitch << " source pitch " << g.source.pitch;
            }
        }
    }
    BlitterClose(blitter);
}

// Every pixel format with every scaling.
INSTANTIATE_TEST_SUITE_P(
    Blit, BlitEveryMode,
    testing::Combine(testing::Values(0u, TAVIK_BLITTER_555, TAVIK_BLITTER_565),
                     testing::Values(0u, uint32_t{BlitterUnscaled}, uint32_t{BlitterDouble},
                                     uint32_t{BlitterInterlaced}, uint32_t{BlitterSmoothing},
                                     uint32_t{BlitterInterlaced | BlitterDouble})));

// The wide loops straight from their tables, over widths that cover every tail of the 8- and
// 16-pixel steps, both lines of a pair far apart.
TEST(BlitWideLoops, WriteTheSameBytesAsThePlainLoops) {
    std::mt19937 random(1234);
    const auto colours = RandomBytes(random, 512);
    const ScalerTable* tables[] = {&PlainScalers(), &WideScalers(), &WordScalers()};
    for (const uint32_t mode : {1u, 2u, 7u, 8u}) {
        const ptrdiff_t pixelBytes = mode >= 6 ? 2 : 1;
        for (uint32_t width = 0; width <= 70; ++width) {
            const uint32_t height = 3;
            const auto source = RandomBytes(random, width * height + 1);
            const ptrdiff_t rowBytes = 2 * pixelBytes * width, pitch = rowBytes + 3;
            const ptrdiff_t step = mode % 6 == 2 ? 2 * pitch - rowBytes : pitch;  // interlaced
            const auto before = RandomBytes(random, size_t(2 * height * pitch));
            std::vector<uint8_t> outputs[3];
            for (int t = 0; t < 3; ++t) {
                outputs[t] = before;
                tables[t]->byMode[mode](outputs[t].data(), step, source.data(), 0, width, height,
                                        colours.data());
            }
            ASSERT_EQ(outputs[1], outputs[0]) << "mode " << mode << " width " << width;
            ASSERT_EQ(outputs[2], outputs[0]) << "mode " << mode << " width " << width;
        }
    }
}

}  // namespace
}  // namespace tavik
