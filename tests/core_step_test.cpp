// Frame stepping: wrap orders, palettes taken over, clock pacing, and the summary.
#include <gtest/gtest.h>

#include "support/fake_system.h"
#include "support/raw_movie.h"
#include "tavik/tavik.h"

namespace tavik {
namespace {

using test::FakeSystem;
using test::PaletteChunk;
using test::RawFrame;
using test::RawMovie;

RawMovie Frames(int count, uint32_t flags = 0) {
    RawMovie movie;
    movie.flags = flags;
    for (int i = 0; i < count; ++i) movie.frames.push_back(RawFrame{64, {}, {}});
    return movie;
}

std::vector<uint32_t> PlayOrder(TavikMovie* m, int steps) {
    std::vector<uint32_t> order{m->FrameNum};
    for (int i = 1; i < steps; ++i) {
        TavikAdvance(m);
        order.push_back(m->FrameNum);
        EXPECT_EQ(m->VideoChunk[0], m->FrameNum);  // the frame's own bytes are in place
    }
    return order;
}

TEST(CoreStep, WrapOrders) {
    FakeSystem sys;
    for (uint32_t open : {uint32_t{TavikPreload}, uint32_t{0}}) {
        sys.AddFile("plain", Frames(3).Build());
        TavikMovie* m = TavikOpen("plain", open, 0);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(PlayOrder(m, 8), (std::vector<uint32_t>{0, 1, 2, 0, 1, 2, 0, 1}));
        TavikClose(m);
        sys.AddFile("ring", Frames(4, TavikFlagRingFrame).Build());  // 3 frames + ring frame
        m = TavikOpen("ring", open, 0);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(PlayOrder(m, 9), (std::vector<uint32_t>{0, 1, 2, 3, 1, 2, 3, 1, 2}));
        TavikClose(m);
    }
}

TEST(CoreStep, PalettesAreTakenOverOncePerChange) {
    FakeSystem sys;
    RawMovie raw = Frames(3);
    // Frame 0 sets entry 0 to white and keeps the rest; frame 2 sets entry 1 to 6-bit 32.
    raw.frames[0].palette = PaletteChunk({63, 63, 63});
    raw.frames[2].palette = PaletteChunk({63, 63, 63, 32, 0, 0});
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->NewPalette, 1u);
    EXPECT_EQ(m->Palette[0], 255);
    TavikDecodeFrame(m);
    TavikAdvance(m);
    EXPECT_EQ(m->NewPalette, 0u);
    TavikDecodeFrame(m);
    TavikAdvance(m);
    EXPECT_EQ(m->NewPalette, 1u);
    EXPECT_EQ(m->Palette[3], 130);
    TavikDecodeFrame(m);
    TavikAdvance(m);  // wrap: the palette starts black again, so the kept entry 1 is black
    EXPECT_EQ(m->FrameNum, 0u);
    EXPECT_EQ(m->NewPalette, 1u);
    EXPECT_EQ(m->Palette[3], 0);
    EXPECT_EQ(m->Palette[0], 255);
    TavikClose(m);

    // Only frame 0 changes the palette: after the wrap it is decoded again but is not new.
    RawMovie once = Frames(2);
    once.frames[0].palette = PaletteChunk({10, 20, 30});
    sys.AddFile("once", once.Build());
    m = TavikOpen("once", 0, 0);
    for (int i = 0; i < 2; ++i) TavikDecodeFrame(m), TavikAdvance(m);
    EXPECT_EQ(m->FrameNum, 0u);
    EXPECT_EQ(m->NewPalette, 0u);
    EXPECT_EQ(m->Palette[0], (10 << 2) | (10 >> 4));
    TavikClose(m);
}

TEST(CoreStep, MalformedChunksAreDropped) {
    FakeSystem sys;
    RawMovie raw = Frames(2);
    raw.frames[0].palette = {200, 0x80};         // claims 800 bytes in a 64-byte frame
    raw.frames[1].audio = {{0xFF, 0xFF, 0, 0}};  // audio chunk length beyond the frame
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->VideoSize, 0u);
    EXPECT_EQ(m->AudioChunks[0], nullptr);
    TavikAdvance(m);
    EXPECT_EQ(m->VideoSize, 0u);
    EXPECT_EQ(m->AudioChunks[0], nullptr);
    TavikClose(m);
}

TEST(CoreStep, ClockPacing) {
    FakeSystem sys;
    RawMovie raw = Frames(10);
    raw.frameRate = 50;  // 5000 ticks
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 0);
    ASSERT_NE(m, nullptr);
    auto waitedMs = [&] {
        const uint32_t start = sys.now;
        while (TavikNotYetDue(m)) sys.now += 1;
        return sys.now - start;
    };
    TavikDecodeFrame(m);
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 50u);        // the first wait starts the clock
    EXPECT_EQ(TavikNotYetDue(m), 0u);  // once due, stays due until the next setup
    TavikDecodeFrame(m);
    sys.now += 20;
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 30u);  // decode time counts against the frame time
    // Three frame times late: the clock restarts from now instead of catching up.
    TavikDecodeFrame(m);
    sys.now += 200;
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 0u);
    TavikDecodeFrame(m);
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 50u);
    // One frame late: the lost time is caught up on the next frame.
    TavikDecodeFrame(m);
    sys.now += 70;
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 0u);
    TavikDecodeFrame(m);
    TavikAdvance(m);
    EXPECT_EQ(waitedMs(), 30u);
    EXPECT_EQ(m->FramesSkipped, 0u);
    TavikClose(m);
}

TEST(CoreStep, PacingSurvivesTheTickWrap) {
    FakeSystem sys;
    RawMovie raw = Frames(4);
    raw.frameRate = 50;
    sys.AddFile("m", raw.Build());
    // Ticks are milliseconds times 100 in 32 bits: start 30 ms before they wrap.
    sys.now = static_cast<uint32_t>((uint64_t{1} << 32) / 100) - 30;
    TavikMovie* m = TavikOpen("m", 0, 0);
    for (int frame = 0; frame < 3; ++frame) {
        TavikDecodeFrame(m);
        TavikAdvance(m);
        const uint32_t start = sys.now;
        while (TavikNotYetDue(m) && sys.now - start < 1000) sys.now += 1;
        EXPECT_EQ(sys.now - start, 50u) << frame;
    }
    TavikClose(m);
}

TEST(CoreStep, AsFastAsPossibleNeverWaits) {
    FakeSystem sys;
    RawMovie raw = Frames(3);
    raw.frameRate = 0;
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 0);
    EXPECT_EQ(TavikNotYetDue(m), 0u);
    TavikAdvance(m);
    EXPECT_EQ(TavikNotYetDue(m), 0u);
    TavikClose(m);
}

TEST(CoreStep, Summary) {
    FakeSystem sys;
    RawMovie raw = Frames(5);
    raw.frameRate = -6600;
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", TavikPreload, 0);
    const uint32_t times[] = {5, 30, 10, 8, 7};
    const uint32_t start = sys.now;
    for (uint32_t t : times) {
        TavikDecodeFrame(m);
        sys.now += t;
        TavikAdvance(m);
    }
    TavikSummary s{};
    TavikGetSummary(m, &s);
    EXPECT_EQ(s.TotalTime, sys.now - start);
    EXPECT_EQ(s.FrameTime, 6600u);
    EXPECT_EQ(s.FramesPlayed, 5u);
    EXPECT_EQ(s.FramesSkipped, 0u);
    EXPECT_EQ(s.SoundSkips, 0u);
    EXPECT_EQ(s.SlowestTime, 30u);
    EXPECT_EQ(s.SlowestFrame, 2u);
    EXPECT_EQ(s.SecondSlowestTime, 10u);
    EXPECT_EQ(s.SecondSlowestFrame, 3u);
    EXPECT_EQ(s.AverageFrameSize, 64u);
    EXPECT_EQ(s.MemoryUsed, m->MemHighest);
    EXPECT_EQ(s.ExtraBuffer, 0u);
    TavikClose(m);

    // Frames that took no measurable time report 1000 ms.
    m = TavikOpen("m", TavikPreload, 0);
    TavikDecodeFrame(m);
    TavikAdvance(m);
    TavikGetSummary(m, &s);
    EXPECT_EQ(s.SlowestTime, 1000u);
    EXPECT_EQ(s.SecondSlowestTime, 1000u);
    TavikClose(m);
}

TEST(CoreStep, NullHandleDoesNothing) {
    EXPECT_EQ(TavikDecodeFrame(nullptr), 0u);
    EXPECT_EQ(TavikNotYetDue(nullptr), 0u);
    EXPECT_EQ(TavikNextRect(nullptr, 0), 0u);
    EXPECT_EQ(TavikSetPlaying(nullptr, 1), 0u);
    TavikAdvance(nullptr);
    TavikClose(nullptr);
    TavikRemap(nullptr, nullptr, 0, 0, 0);
}

}  // namespace
}  // namespace tavik
