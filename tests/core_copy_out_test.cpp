// Copying frames out: destinations, rectangle hand-out, 16-bit tables and colour remapping.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "core_test_support.h"
#include "encoder/encoder.h"
#include "video/dest.h"

namespace tavik::test {
namespace {

using Rect = std::array<uint32_t, 4>;  // x, y, width, height

// The rectangles handed out for a movie of the given size placed at (x, y), after a decode
// that changed the given groups of its change map.
std::vector<Rect> Rects(uint32_t width, uint32_t height, uint32_t headerFlags, uint32_t x,
                        uint32_t y, const std::vector<uint32_t>& groups, bool newPalette,
                        uint32_t mode) {
    FakeSystem sys;
    RawMovie raw = Frames({16, 16}, 100, headerFlags);
    raw.width = width;
    raw.height = height;
    MoviePtr m = OpenRaw(sys, raw);
    std::vector<uint8_t> picture(size_t{width + 16} * (m->Header.Height + 8));
    TavikSetDest(m.get(), x, y, static_cast<int32_t>(width + 16), m->Header.Height + 8,
                 picture.data(), 0);
    TavikDestDesc* d = m->Dest;
    std::memset(ChangeMap(d), 0, (d->blocksPerRow * d->blockRows + 15) / 16 + 1);
    for (uint32_t g : groups) ChangeMap(d)[g] = 1;
    m->RectState = 1;
    m->NewPalette = newPalette;
    std::vector<Rect> out;
    while (out.size() < 100 && TavikNextRect(m.get(), mode))
        out.push_back({m->LastRect[0], m->LastRect[1], m->LastRect[2], m->LastRect[3]});
    return out;
}

TEST(CoreCopyOut, RectanglesAreMergedBoundedAndJoined) {
    std::vector<uint32_t> all, column;
    for (uint32_t g = 0; g < 80; ++g) all.push_back(g);
    for (uint32_t row = 0; row < 16; ++row) column.push_back(row * 5 + 2);
    const uint32_t apart = 12 * 5 + 4;  // block row 12, group 4
    const struct {
        const char* what;
        uint32_t width, height, flags, x, y;
        std::vector<uint32_t> groups;
        bool newPalette;
        uint32_t mode;
        std::vector<Rect> rects;
    } cases[] = {
        {"nothing", 64, 16, 0, 8, 4, {}, false, 0, {}},
        {"only the palette", 64, 16, 0, 8, 4, {}, true, 0, {{0, 0, 0, 0}}},
        {"mode 2 never hands anything out", 64, 16, 0, 8, 4, {}, true, 2, {}},
        // 320 x 64: five groups per block row, 16 block rows.
        {"far apart", 320, 64, 0, 0, 0, {0, apart}, false, 0, {{0, 0, 64, 4}, {256, 48, 64, 4}}},
        {"far apart, bounded", 320, 64, 0, 0, 0, {0, apart}, false, 1, {{0, 0, 320, 52}}},
        {"whole rows join", 320, 64, 0, 0, 0, all, false, 0, {{0, 0, 320, 64}}},
        {"a column joins", 320, 64, 0, 0, 0, column, false, 0, {{128, 0, 64, 64}}},
        {"under the 1st", 320, 64, 0, 0, 0, {0, 4, 5}, false, 0, {{0, 0, 64, 8}, {256, 0, 64, 4}}},
        {"a narrower one under", 320, 64, 0, 0, 0, {0, 1, 2, 5, 6}, false, 0, {{0, 0, 192, 8}}},
        // 96 x 16: one and a half groups per block row.
        {"crossing the row end", 96, 16, 0, 0, 0, {1}, false, 0, {{64, 0, 32, 4}, {0, 4, 32, 4}}},
        // Placed at column 3, the rectangle at movie column 64 starts at destination 64 (not 67)
        // and widens by 3; its width 35 rounds up to 40 only where the movie has room (it has
        // not). The one at movie column 0 cannot move left of the movie and stays at 3.
        {"aligned", 96, 16, 0, 3, 2, {1}, false, 0, {{64, 2, 35, 4}, {3, 6, 32, 4}}},
        // Shown 64 x 32: rows count as shown.
        {"interlaced", 64, 16, TavikFlagInterlaced, 0, 0, {2}, false, 0, {{0, 16, 64, 8}}},
        {"doubled", 64, 16, TavikFlagDoubled, 0, 0, {2}, false, 0, {{0, 16, 64, 8}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rects(c.width, c.height, c.flags, c.x, c.y, c.groups, c.newPalette, c.mode),
                  c.rects)
            << c.what;
}

TEST(CoreCopyOut, DestinationsThatCannotHoldTheMovieAreRefused) {
    FakeSystem sys;
    RawMovie raw = Frames({16, 16});
    raw.width = 64;
    MoviePtr m = OpenRaw(sys, raw);
    std::vector<uint8_t> small(64 * 16);
    TavikSetDest(m.get(), 0, 0, 64, 16, small.data(), 0);
    ASSERT_NE(m->Dest, nullptr);
    const uint32_t used = m->MemUsed;
    TavikSetDest(m.get(), 1, 0, 64, 16, small.data(), 0);  // one column too far
    EXPECT_EQ(m->Dest, nullptr);
    EXPECT_LT(m->MemUsed, used);
    TavikSetDest(m.get(), 0, 0, 64, 16, small.data(), TAVIK_DEST_565);  // needs 128 bytes a row
    EXPECT_EQ(m->Dest, nullptr);
    TavikSetDest(m.get(), 0, 0, 64, 16, small.data(), 0);
    TavikSetDest(m.get(), 0, 0, 64, 16, nullptr, 0);
    EXPECT_EQ(m->Dest, nullptr);
}

// An encoder-made movie of two 32 x 8 frames over 16 of 256 distinct, exactly representable
// colours, the second frame's indices one on from the first's.
class CoreCopyOutTwoFrames : public ::testing::Test {
  protected:
    void SetUp() override {
        enc::MovieSpec plan;
        plan.width = 32;
        plan.height = 8;
        enc::Palette palette;
        for (uint32_t i = 0; i < 256; ++i) {
            palette[3 * i] = enc::QuantizeComponent(static_cast<uint8_t>((i % 64) << 2));
            palette[3 * i + 1] = enc::QuantizeComponent(static_cast<uint8_t>((i / 64) << 6));
            palette[3 * i + 2] = 0;
        }
        for (int f = 0; f < 2; ++f) {
            enc::Frame frame;
            for (size_t i = 0; i < 32 * 8; ++i) frame.pixels.push_back((i + f) % 16);
            if (f == 0) frame.palette = palette;
            plan.frames.push_back(frame);
        }
        sys.AddFile("m", enc::EncodeMovie(plan));
        m.reset(TavikOpen("m", 0, 0));
        ASSERT_TRUE(m);
        TavikSetDest(m.get(), 0, 0, 32, 8, picture.data(), 0);
    }
    FakeSystem sys;
    MoviePtr m;
    std::vector<uint8_t> picture = std::vector<uint8_t>(32 * 8);
};

TEST_F(CoreCopyOutTwoFrames, SixteenBitPixelsFollowTheTable) {
    std::vector<uint16_t> wide(32 * 8, 0xDEAD);
    TavikSetDest(m.get(), 0, 0, 64, 8, wide.data(), TAVIK_DEST_565);
    TavikDecodeFrame(m.get());
    for (size_t i = 0; i < wide.size(); ++i) {
        const uint8_t* c = m->Palette + 3 * (i % 16);
        ASSERT_EQ(wide[i], (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3) << i;
    }
    // The same picture again keeps the descriptor and its table.
    const TavikDestDesc* before = m->Dest;
    const uint16_t first = m->ColourTable16[1];
    TavikSetDest(m.get(), 0, 0, 64, 8, wide.data(), TAVIK_DEST_565);
    EXPECT_EQ(std::tuple(m->Dest, m->ColourTable16[1]), std::tuple(before, first));
}

TEST_F(CoreCopyOutTwoFrames, RemapRewritesDecodedIndicesAndUndoes) {
    // A display palette holding the movie's colours in reverse order, 4 bytes an entry.
    std::vector<uint8_t> display(256 * 4, 0);
    for (uint32_t i = 0; i < 256; ++i) std::memcpy(&display[4 * (255 - i)], m->Palette + 3 * i, 3);
    TavikRemap(m.get(), display.data(), 256, 4, 1000);
    EXPECT_EQ(m->TreesRemapped, 1u);
    TavikDecodeFrame(m.get());
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(picture[i], 255 - i % 16) << i;
    // Onto the movie's own palette: every colour maps to itself and the trees are restored.
    TavikRemap(m.get(), m->Palette, 256, 0, 1000);
    EXPECT_EQ(m->TreesRemapped, 0u);
    TavikAdvance(m.get());
    TavikDecodeFrame(m.get());
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(picture[i], (i + 1) % 16) << i;
}

TEST_F(CoreCopyOutTwoFrames, RemapNeverChoosesTheReservedEntry) {
    // Entries 0..15 are the movie's colours with red and blue exchanged, 2-byte components.
    std::vector<uint8_t> display(16 * 6, 0);
    for (uint32_t i = 0; i < 16; ++i)
        for (uint32_t c = 0; c < 3; ++c) display[6 * i + 2 * (2 - c)] = m->Palette[3 * i + c];
    TavikRemap(m.get(), display.data(), 16, 1 | 2, 5);  // index 5 is reserved
    TavikDecodeFrame(m.get());
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(picture[i], i % 16) << i;  // 5 stays
}

}  // namespace
}  // namespace tavik::test
