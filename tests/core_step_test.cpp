// Frame stepping: wrap orders, palettes taken over, clock pacing, and the summary.
#include <gtest/gtest.h>

#include "core_test_support.h"

namespace tavik::test {
namespace {

RawMovie Frames64(uint32_t count, int32_t frameRate = 100, uint32_t flags = 0) {
    return Frames(std::vector<uint32_t>(count, 64), frameRate, flags);
}

class CoreStep : public ::testing::Test {
  protected:
    // Decodes the frame, taking `decodeMs`, and steps on.
    void Step(TavikMovie* m, uint32_t decodeMs = 0) {
        TavikDecodeFrame(m);
        sys.now += decodeMs;
        TavikAdvance(m);
    }
    uint32_t WaitedMs(TavikMovie* m) {
        const uint32_t start = sys.now;
        while (TavikNotYetDue(m) && sys.now - start < 1000) sys.now += 1;
        return sys.now - start;
    }
    FakeSystem sys;
};

TEST_F(CoreStep, WrapOrders) {
    for (uint32_t open : {uint32_t{TavikPreload}, uint32_t{0}}) {
        for (bool ring : {false, true}) {  // 3 frames, with or without a ring frame
            MoviePtr m = OpenRaw(sys, Frames64(3 + ring, 100, ring ? TavikFlagRingFrame : 0), open);
            ASSERT_TRUE(m);
            std::vector<uint32_t> order{m->FrameNum};
            for (int i = 1; i < 9; ++i) {
                TavikAdvance(m.get());
                order.push_back(m->FrameNum);
                EXPECT_EQ(m->VideoChunk[0], m->FrameNum);  // the frame's own bytes are in place
            }
            const std::vector<uint32_t> want = {0, 1, 2, ring ? 3u : 0u, 1, 2, ring ? 3u : 0u,
                                                1, 2};
            EXPECT_EQ(order, want);
        }
    }
}

TEST_F(CoreStep, PalettesAreTakenOverOncePerChange) {
    RawMovie raw = Frames64(3);
    // Frame 0 sets entry 0 to white and keeps the rest; frame 2 sets entry 1 to 6-bit 32.
    raw.frames[0].palette = PaletteChunk({63, 63, 63});
    raw.frames[2].palette = PaletteChunk({63, 63, 63, 32, 0, 0});
    MoviePtr m = OpenRaw(sys, raw);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->NewPalette, m->Palette[0]), std::tuple(1u, 255));
    Step(m.get());
    EXPECT_EQ(m->NewPalette, 0u);
    Step(m.get());
    EXPECT_EQ(std::tuple(m->NewPalette, m->Palette[3]), std::tuple(1u, 130));
    Step(m.get());  // wrap: the palette starts black again, so the kept entry 1 is black
    EXPECT_EQ(std::tuple(m->FrameNum, m->NewPalette, m->Palette[3], m->Palette[0]),
              std::tuple(0u, 1u, 0, 255));

    // Only frame 0 changes the palette: after the wrap it is decoded again but is not new.
    RawMovie once = Frames64(2);
    once.frames[0].palette = PaletteChunk({10, 20, 30});
    m = OpenRaw(sys, once);
    Step(m.get());
    Step(m.get());
    EXPECT_EQ(std::tuple(m->FrameNum, m->NewPalette, m->Palette[0]),
              std::tuple(0u, 0u, (10 << 2) | (10 >> 4)));
}

TEST_F(CoreStep, ChunksAreKeptOnlyInsideTheirFrame) {
    RawMovie raw = Frames64(3);
    raw.frames[0].palette = {200, 0x80};         // claims 800 bytes in a 64-byte frame
    raw.frames[1].audio = {{0xFF, 0xFF, 0, 0}};  // audio chunk length beyond the frame
    raw.frames[2].audio = {{64, 0, 0, 0}};       // exactly the whole frame: kept
    MoviePtr m = OpenRaw(sys, raw);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->VideoSize, m->AudioChunks[0]), std::tuple(0u, nullptr));
    TavikAdvance(m.get());
    EXPECT_EQ(std::tuple(m->VideoSize, m->AudioChunks[0]), std::tuple(0u, nullptr));
    TavikAdvance(m.get());
    EXPECT_EQ(std::tuple(m->VideoSize, m->AudioChunks[0]), std::tuple(0u, m->FramePtr));
}

TEST_F(CoreStep, ClockPacing) {
    MoviePtr m = OpenRaw(sys, Frames64(10, 50));  // 5000 ticks
    ASSERT_TRUE(m);
    Step(m.get());
    EXPECT_EQ(WaitedMs(m.get()), 50u);       // the first wait starts the clock
    EXPECT_EQ(TavikNotYetDue(m.get()), 0u);  // once due, stays due until the next setup
    // Decode time counts against the frame time. Three frame times late: the clock restarts
    // from now instead of catching up. One frame late: the lost time is caught up on the next.
    const uint32_t decode[][2] = {{20, 30}, {200, 0}, {0, 50}, {70, 0}, {0, 30}};
    for (const auto& d : decode) {
        Step(m.get(), d[0]);
        EXPECT_EQ(WaitedMs(m.get()), d[1]) << d[0];
    }
    EXPECT_EQ(m->FramesSkipped, 0u);

    // Ticks are milliseconds times 100 in 32 bits: 30 ms before they wrap nothing changes.
    sys.now = static_cast<uint32_t>((uint64_t{1} << 32) / 100) - 30;
    m = OpenRaw(sys, Frames64(4, 50));
    for (int frame = 0; frame < 3; ++frame) {
        Step(m.get());
        EXPECT_EQ(WaitedMs(m.get()), 50u) << frame;
    }
    // As fast as possible: never a wait.
    m = OpenRaw(sys, Frames64(3, 0));
    EXPECT_EQ(TavikNotYetDue(m.get()), 0u);
    TavikAdvance(m.get());
    EXPECT_EQ(TavikNotYetDue(m.get()), 0u);
}

TEST_F(CoreStep, Summary) {
    const RawMovie raw = Frames64(5, -6600);
    MoviePtr m = OpenRaw(sys, raw, TavikPreload);
    const uint32_t start = sys.now;
    for (uint32_t t : {5, 30, 10, 8, 7}) Step(m.get(), t);
    TavikSummary s{};
    TavikGetSummary(m.get(), &s);
    EXPECT_EQ(std::tuple(s.TotalTime, s.FrameTime, s.FramesPlayed, s.FramesSkipped, s.SoundSkips),
              std::tuple(sys.now - start, 6600u, 5u, 0u, 0u));
    EXPECT_EQ(std::tuple(s.SlowestTime, s.SlowestFrame, s.SecondSlowestTime, s.SecondSlowestFrame),
              std::tuple(30u, 2u, 10u, 3u));
    EXPECT_EQ(std::tuple(s.AverageFrameSize, s.MemoryUsed, s.ExtraBuffer),
              std::tuple(64u, m->MemHighest, 0u));

    // Frames that took no measurable time report 1000 ms.
    m = OpenRaw(sys, raw, TavikPreload);
    Step(m.get());
    TavikGetSummary(m.get(), &s);
    EXPECT_EQ(std::tuple(s.SlowestTime, s.SecondSlowestTime), std::tuple(1000u, 1000u));
}

TEST_F(CoreStep, NullHandleDoesNothing) {
    EXPECT_EQ(std::tuple(TavikDecodeFrame(nullptr), TavikNotYetDue(nullptr),
                         TavikNextRect(nullptr, 0), TavikSetPlaying(nullptr, 1)),
              std::tuple(0u, 0u, 0u, 0u));
    TavikAdvance(nullptr);
    TavikClose(nullptr);
    TavikRemap(nullptr, nullptr, 0, 0, 0);
}

}  // namespace
}  // namespace tavik::test
