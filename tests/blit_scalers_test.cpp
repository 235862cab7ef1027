// Every mode's output against the pixel-by-pixel model, and the wide loops against the plain.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "blit/blitter_record.h"
#include "blit/scalers.h"
#include "blit_reference.h"
#include "tavik/blitter.h"
#include "video/frame_helpers.h"
#include "video/processor_check.h"

namespace tavik {
namespace {

using testing::BlitTables;
using testing::RandomBytes;
using testing::ReferenceBlit;

// A picture of rows x rowBytes with rows pitch apart, in a buffer that holds exactly those bytes
// (so the address sanitizer sees any access past its ends). A negative pitch stores the rows
// bottom-up.
struct Picture {
    std::vector<uint8_t> bytes;
    ptrdiff_t zero;  // where row zero starts

    Picture(std::mt19937& random, ptrdiff_t rows, ptrdiff_t rowBytes, ptrdiff_t pitch)
        : bytes(RandomBytes(random, size_t((rows - 1) * std::abs(pitch) + rowBytes))),
          zero(pitch < 0 ? (rows - 1) * -pitch : 0) {}
    uint8_t* RowZero() { return bytes.data() + zero; }
};

struct Geometry {
    uint32_t width, height, destinationX, destinationY, sourceX, sourceY;
    ptrdiff_t destinationRows, destinationRowBytes, destinationPitch;
    ptrdiff_t sourceRows, sourceRowBytes, sourcePitch;
};

// A random rectangle in random pictures: odd widths up to 40, offsets, spare bytes at the end
// of rows or none, pitches of either sign, rectangles flush with the pictures' ends.
Geometry RandomGeometry(std::mt19937& random, uint32_t mode) {
    auto pick = [&](uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random);
    };
    const ptrdiff_t scale = mode % 6 == 0 ? 1 : 2;
    const ptrdiff_t pixelBytes = mode >= 6 ? 2 : 1;
    auto offset = [&](uint32_t high) { return pick(0, 1) ? 0 : pick(1, high); };
    Geometry g{};
    g.width = pick(1, 40);
    g.height = pick(1, 5);
    g.destinationX = offset(7);
    g.destinationY = offset(3);
    g.sourceX = offset(9);
    g.sourceY = offset(3);
    const bool flush = pick(0, 2) == 0;
    g.destinationRowBytes =
        pixelBytes * (scale * (g.destinationX + g.width) + (flush ? 0 : pick(0, 5)));
    g.destinationRows = scale * (g.destinationY + g.height) + (flush ? 0 : pick(0, 2));
    g.destinationPitch = g.destinationRowBytes + (flush ? 0 : pick(0, 9));
    if (pick(0, 3) == 0) g.destinationPitch = -g.destinationPitch;
    g.sourceRowBytes = g.sourceX + g.width + (flush ? 0 : pick(0, 6));
    g.sourceRows = g.sourceY + g.height + (flush ? 0 : pick(0, 2));
    g.sourcePitch = g.sourceRowBytes + (flush ? 0 : pick(0, 3));
    if (pick(0, 3) == 0) g.sourcePitch = -g.sourcePitch;
    return g;
}

// Every pixel format with every scaling.
std::vector<uint32_t> EveryModeFlags() {
    std::vector<uint32_t> flags;
    for (const uint32_t format : {0u, TAVIK_BLITTER_555, TAVIK_BLITTER_565}) {
        for (const uint32_t scaling :
             {0u, uint32_t{BlitterUnscaled}, uint32_t{BlitterDouble}, uint32_t{BlitterInterlaced},
              uint32_t{BlitterSmoothing}, uint32_t{BlitterInterlaced | BlitterDouble}})
            flags.push_back(format | scaling);
    }
    return flags;
}

class BlitEveryMode : public ::testing::TestWithParam<uint32_t> {
  protected:
    void TearDown() override { UseMMX(1); }
};

TEST_P(BlitEveryMode, MatchesTheModelAndWritesNothingElse) {
    const uint32_t flags = GetParam();
    std::mt19937 random(flags ^ 0x5eed);
    TavikBlitter* blitter = BlitterOpen(flags);
    ASSERT_NE(blitter, nullptr);
    const uint32_t mode = blitter->Mode;

    for (int round = 0; round < 3; ++round) {
        const std::vector<uint8_t> palette = RandomBytes(random, 768);
        BlitterSetPalette(blitter, palette.data(), 0);
        const auto colours = testing::ReferenceColourTable(
            palette.data(), (flags & TAVIK_BLITTER_FORMAT_MASK) == TAVIK_BLITTER_565);
        const BlitTables tables{colours.data(),
                                static_cast<const uint8_t*>(blitter->SmoothingTable),
                                static_cast<const uint16_t*>(blitter->SmoothingTable)};

        for (uint32_t wide = 0; wide <= 1; ++wide) {
            UseMMX(wide);
            for (int trial = 0; trial < 150; ++trial) {
                const Geometry g = RandomGeometry(random, mode);
                Picture source(random, g.sourceRows, g.sourceRowBytes, g.sourcePitch);
                Picture actual(random, g.destinationRows, g.destinationRowBytes,
                               g.destinationPitch);
                Picture expected = actual;

                ReferenceBlit(mode, tables, expected.RowZero(), g.destinationPitch, g.destinationX,
                              g.destinationY, g.sourceX, g.sourcePitch, source.RowZero(), g.sourceY,
                              g.width, g.height);
                Blit(blitter, actual.RowZero(), int32_t(g.destinationPitch), g.destinationX,
                     g.destinationY, g.sourceX, int32_t(g.sourcePitch), source.RowZero(), g.sourceY,
                     g.width, g.height);
                ASSERT_EQ(actual.bytes, expected.bytes)
                    << "mode " << mode << " wide " << wide << " w " << g.width << " h " << g.height
                    << " at " << g.destinationX << "," << g.destinationY << " pitch "
                    << g.destinationPitch << " source pitch " << g.sourcePitch;
            }
        }
    }
    BlitterClose(blitter);
}

INSTANTIATE_TEST_SUITE_P(Blit, BlitEveryMode, ::testing::ValuesIn(EveryModeFlags()));

TEST(BlitEmpty, ZeroSizesAndNullPointersWriteNothing) {
    TavikBlitter* blitter = BlitterOpen(TAVIK_BLITTER_565 | BlitterDouble);
    ASSERT_NE(blitter, nullptr);
    std::vector<uint8_t> destination(64, 0xAB);
    const std::vector<uint8_t> source(16, 7);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 0, 2);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 2, 0);
    Blit(blitter, nullptr, 16, 0, 0, 0, 4, source.data(), 0, 2, 2);
    Blit(blitter, destination.data(), 16, 0, 0, 0, 4, nullptr, 0, 2, 2);
    Blit(nullptr, destination.data(), 16, 0, 0, 0, 4, source.data(), 0, 2, 2);
    EXPECT_EQ(destination, std::vector<uint8_t>(64, 0xAB));
    BlitterClose(blitter);
}

TEST(BlitWideChoice, RunsTheProcessorCheckWhenNothingIsStored) {
    ResetProcessorCheck();
    TavikBlitter* blitter = BlitterOpen(BlitterDouble);
    const uint8_t source[3] = {1, 2, 3};
    uint8_t destination[12] = {};
    Blit(blitter, destination, 6, 0, 0, 0, 3, source, 0, 3, 1);
    EXPECT_NE(ProcessorAnswer(), 0u);
    EXPECT_EQ(destination[11], 3);
    BlitterClose(blitter);
    UseMMX(1);
}

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
