// Copying frames out: destinations, rectangle hand-out, 16-bit tables and colour remapping.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "encoder/encoder.h"
#include "support/fake_system.h"
#include "support/raw_movie.h"
#include "tavik/tavik.h"
#include "video/dest.h"

namespace tavik {
namespace {

using test::FakeSystem;
using test::RawFrame;
using test::RawMovie;

struct Rect {
    uint32_t x, y, w, h;
    bool operator==(const Rect&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.x << "," << r.y << "," << r.w << "," << r.h << ")";
}

std::vector<Rect> AllRects(TavikMovie* m, uint32_t mode) {
    std::vector<Rect> out;
    while (out.size() < 100 && TavikNextRect(m, mode))
        out.push_back(Rect{m->LastRect[0], m->LastRect[1], m->LastRect[2], m->LastRect[3]});
    return out;
}

// A movie of the given size whose change map the test writes by hand.
class HandMadeChanges {
  public:
    HandMadeChanges(uint32_t width, uint32_t height, uint32_t headerFlags = 0) {
        RawMovie raw;
        raw.width = width;
        raw.height = height;
        raw.flags = headerFlags;
        raw.frames = {RawFrame{}, RawFrame{}};
        sys_.AddFile("m", raw.Build());
        movie_ = TavikOpen("m", 0, 0);
        picture_.assign(size_t{width + 16} * (movie_->Header.Height + 8), 0);
    }
    ~HandMadeChanges() { TavikClose(movie_); }
    TavikMovie* Movie() { return movie_; }
    void SetDest(uint32_t x, uint32_t y) {
        TavikSetDest(movie_, x, y, static_cast<int32_t>(movie_->Header.Width + 16),
                     movie_->Header.Height + 8, picture_.data(), 0);
    }
    // Marks the groups and restarts the search as a decode would.
    void Changed(std::vector<uint32_t> groups, bool newPalette = false) {
        TavikDestDesc* d = movie_->Dest;
        const uint32_t blocks = d->blocksPerRow * d->blockRows;
        std::memset(ChangeMap(d), 0, (blocks + 15) / 16 + 1);
        for (uint32_t g : groups) ChangeMap(d)[g] = 1;
        d->iterator.done = d->iterator.pending = d->iterator.started = 0;
        d->iterator.x = d->iterator.y = 0;
        movie_->RectState = 1;
        movie_->NewPalette = newPalette;
    }

  private:
    FakeSystem sys_;
    TavikMovie* movie_ = nullptr;
    std::vector<uint8_t> picture_;
};

TEST(CoreCopyOut, NothingOrOnlyThePalette) {
    HandMadeChanges c(64, 16);
    c.SetDest(8, 4);
    c.Changed({});
    EXPECT_TRUE(AllRects(c.Movie(), 0).empty());
    c.Changed({}, true);
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{0, 0, 0, 0}}));
    c.Changed({}, true);
    EXPECT_TRUE(AllRects(c.Movie(), 2).empty());  // mode 2 never hands anything out
}

TEST(CoreCopyOut, MergedBoundedAndJoined) {
    HandMadeChanges c(320, 64);  // five groups per block row, 16 block rows
    c.SetDest(0, 0);
    // Far apart: block row 0 group 0, block row 12 group 4.
    c.Changed({0, 12 * 5 + 4});
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{0, 0, 64, 4}, {256, 48, 64, 4}}));
    c.Changed({0, 12 * 5 + 4});
    EXPECT_EQ(AllRects(c.Movie(), 1), (std::vector<Rect>{{0, 0, 320, 52}}));
    // Every group changed: whole rows, joined edge to edge into one rectangle.
    std::vector<uint32_t> all;
    for (uint32_t g = 0; g < 80; ++g) all.push_back(g);
    c.Changed(all);
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{0, 0, 320, 64}}));
    // A column of one group in every block row joins too.
    std::vector<uint32_t> column;
    for (uint32_t row = 0; row < 16; ++row) column.push_back(row * 5 + 2);
    c.Changed(column);
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{128, 0, 64, 64}}));
    // Apart in one block row, then one under the first: the list joins that one to the first.
    c.Changed({0, 4, 5});
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{0, 0, 64, 8}, {256, 0, 64, 4}}));
}

TEST(CoreCopyOut, RowCrossingGroupsAndAlignment) {
    HandMadeChanges c(96, 16);  // one and a half groups per block row
    c.SetDest(0, 0);
    c.Changed({1});
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{64, 0, 32, 4}, {0, 4, 32, 4}}));
    // Placed at column 3, the rectangle at movie column 64 starts at destination 64 (not 67)
    // and widens by 3; its width 35 rounds up to 40 only where the movie has room (it has not).
    // The one at movie column 0 cannot move left of the movie and stays at 3.
    c.SetDest(3, 2);
    c.Changed({1});
    EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{64, 2, 35, 4}, {3, 6, 32, 4}}));
}

TEST(CoreCopyOut, ScaledMoviesReportShownRows) {
    for (uint32_t flags : {uint32_t{TavikFlagInterlaced}, uint32_t{TavikFlagDoubled}}) {
        HandMadeChanges c(64, 16, flags);  // shown 64 x 32
        ASSERT_EQ(c.Movie()->Header.Height, 32u);
        c.SetDest(0, 0);
        c.Changed({2});
        EXPECT_EQ(AllRects(c.Movie(), 0), (std::vector<Rect>{{0, 16, 64, 8}})) << flags;
    }
}

TEST(CoreCopyOut, DestinationsThatCannotHoldTheMovieAreRefused) {
    HandMadeChanges c(64, 16);
    std::vector<uint8_t> small(64 * 16);
    TavikMovie* m = c.Movie();
    TavikSetDest(m, 0, 0, 64, 16, small.data(), 0);
    ASSERT_NE(m->Dest, nullptr);
    const uint32_t used = m->MemUsed;
    TavikSetDest(m, 1, 0, 64, 16, small.data(), 0);  // one column too far
    EXPECT_EQ(m->Dest, nullptr);
    EXPECT_LT(m->MemUsed, used);
    TavikSetDest(m, 0, 0, 64, 16, small.data(), TAVIK_DEST_565);  // 16-bit needs 128 bytes a row
    EXPECT_EQ(m->Dest, nullptr);
    TavikSetDest(m, 0, 0, 64, 16, small.data(), 0);
    TavikSetDest(m, 0, 0, 64, 16, nullptr, 0);
    EXPECT_EQ(m->Dest, nullptr);
}

// An encoder-made movie of two frames over a 16-entry palette.
std::vector<uint8_t> TwoFrames(enc::Palette& palette) {
    enc::MovieSpec plan;
    plan.width = 32;
    plan.height = 8;
    // 256 distinct colours, each exactly representable.
    for (uint32_t i = 0; i < 256; ++i) {
        palette[3 * i] = enc::QuantizeComponent(static_cast<uint8_t>((i % 64) << 2));
        palette[3 * i + 1] = enc::QuantizeComponent(static_cast<uint8_t>((i / 64) << 6));
        palette[3 * i + 2] = 0;
    }
    for (int f = 0; f < 2; ++f) {
        enc::Frame frame;
        frame.pixels.resize(32 * 8);
        for (size_t i = 0; i < frame.pixels.size(); ++i)
            frame.pixels[i] = static_cast<uint8_t>((i + static_cast<size_t>(f)) % 16);
        if (f == 0) frame.palette = palette;
        plan.frames.push_back(frame);
    }
    return enc::EncodeMovie(plan);
}

TEST(CoreCopyOut, SixteenBitPixelsFollowTheTable) {
    FakeSystem sys;
    enc::Palette palette;
    sys.AddFile("m", TwoFrames(palette));
    TavikMovie* m = TavikOpen("m", 0, 0);
    ASSERT_NE(m, nullptr);
    std::vector<uint16_t> picture(32 * 8, 0xDEAD);
    TavikSetDest(m, 0, 0, 64, 8, picture.data(), TAVIK_DEST_565);
    TavikDecodeFrame(m);
    for (size_t i = 0; i < picture.size(); ++i) {
        const uint8_t* c = m->Palette + 3 * (i % 16);
        ASSERT_EQ(picture[i], (c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3) << i;
    }
    // The same picture again keeps the descriptor and its table.
    const TavikDestDesc* before = m->Dest;
    const uint16_t first = m->ColourTable16[1];
    TavikSetDest(m, 0, 0, 64, 8, picture.data(), TAVIK_DEST_565);
    EXPECT_EQ(m->Dest, before);
    EXPECT_EQ(m->ColourTable16[1], first);
    TavikClose(m);
}

TEST(CoreCopyOut, RemapRewritesDecodedIndicesAndUndoes) {
    FakeSystem sys;
    enc::Palette palette;
    sys.AddFile("m", TwoFrames(palette));
    TavikMovie* m = TavikOpen("m", 0, 0);
    ASSERT_NE(m, nullptr);
    std::vector<uint8_t> picture(32 * 8);
    TavikSetDest(m, 0, 0, 32, 8, picture.data(), 0);
    // A display palette holding the movie's colours in reverse order, 4 bytes an entry.
    std::vector<uint8_t> display(256 * 4, 0);
    for (uint32_t i = 0; i < 256; ++i) std::memcpy(&display[4 * (255 - i)], m->Palette + 3 * i, 3);
    TavikRemap(m, display.data(), 256, 4, 1000);
    EXPECT_EQ(m->TreesRemapped, 1u);
    TavikDecodeFrame(m);
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(picture[i], 255 - i % 16) << i;
    // Onto the movie's own palette: every colour maps to itself and the trees are restored.
    TavikRemap(m, m->Palette, 256, 0, 1000);
    EXPECT_EQ(m->TreesRemapped, 0u);
    TavikAdvance(m);
    TavikDecodeFrame(m);
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(picture[i], (i + 1) % 16) << i;
    TavikClose(m);
}

TEST(CoreCopyOut, RemapNeverChoosesTheReservedEntry) {
    FakeSystem sys;
    enc::Palette palette;
    sys.AddFile("m", TwoFrames(palette));
    TavikMovie* m = TavikOpen("m", 0, 0);
    std::vector<uint8_t> picture(32 * 8);
    TavikSetDest(m, 0, 0, 32, 8, picture.data(), 0);
    // Entries 0..15 are the movie's colours with red and blue exchanged, 2-byte components.
    std::vector<uint8_t> display(16 * 6, 0);
    for (uint32_t i = 0; i < 16; ++i)
        for (uint32_t c = 0; c < 3; ++c) display[6 * i + 2 * (2 - c)] = m->Palette[3 * i + c];
    TavikRemap(m, display.data(), 16, 1 | 2, 5);  // index 5 is reserved
    TavikDecodeFrame(m);
    for (size_t i = 0; i < picture.size(); ++i) {
        if (i % 16 == 5) continue;
        ASSERT_EQ(picture[i], i % 16) << i;
    }
    for (size_t i = 5; i < picture.size(); i += 16) EXPECT_EQ(picture[i], 5);  // maps to itself
    TavikClose(m);
}

}  // namespace
}  // namespace tavik
