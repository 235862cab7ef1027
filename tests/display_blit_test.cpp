// Blitting: the rectangle batch, the standard DIB arithmetic, direct writes with foreground
// changes, clipping to the work area and cursor hiding, and full-screen frames.
#include "display_fixture.h"

namespace tavik {
namespace {

using headless::DrawKind;
using test::DisplayTest;
using test::RecordingBlitter;

const std::vector<test::BlitRecord>& Blits() {
    return RecordingBlitter::Records();
}

TEST_F(DisplayTest, StandardDibSourceCountsFromTheBottomAndScales) {
    DisplayBuffer* b = Open(MethodStandardDib, 320, 200, 640, 300);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 4, 0, 8, 10), 0u);
    ASSERT_EQ(Screen().draws.size(), 1u);
    const headless::DrawCall& d = Screen().draws[0];
    EXPECT_EQ(d.kind, DrawKind::Bits);
    EXPECT_EQ(d.sy, 190);  // 200 - 10 - 0
    EXPECT_EQ(d.dx, 8);    // 4 * 640 / 320
    EXPECT_EQ(d.dw, 16);
    EXPECT_EQ(d.dh, 15);  // 10 * 300 / 200
    EXPECT_EQ(d.bitmapWidth, 320);
    EXPECT_EQ(d.bitmapHeight, -200);  // top-down rows here
    // Co-ordinates are cut to 16 bits on the way.
    BufferBlit(b, nullptr, 70000, 0, 0, 0, 1, 1);
    EXPECT_EQ(Screen().draws.back().dx, 70000 - 65536);
    EXPECT_EQ(Screen().liveDrawContexts, 0);
}

TEST_F(DisplayTest, BatchCollectsThenReplaysInOrder) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    BufferBeginRects(b);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), 0u);
    BufferBlit(b, nullptr, 0, 0, 8, 8, 0, 8);  // empty: uses its entry, draws nothing
    BufferBlit(b, nullptr, 0, 0, 16, 16, 8, 4);
    EXPECT_TRUE(Screen().draws.empty());
    EXPECT_EQ(b->RectCount, 3u);
    BufferEndRects(b);
    ASSERT_EQ(Screen().draws.size(), 2u);
    EXPECT_EQ(Screen().draws[0].sx, 0);
    EXPECT_EQ(Screen().draws[1].sx, 16);
    EXPECT_EQ(Screen().draws[1].dh, 4);
    EXPECT_EQ(b->RectState, RectsImmediate);
    EXPECT_EQ(b->RectCount, 0u);
}

TEST_F(DisplayTest, FullBatchDrawsTheOverflowAtOnce) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);  // capacity 16
    BufferBeginRects(b);
    for (uint32_t i = 0; i < 18; ++i) BufferBlit(b, nullptr, 0, 0, i, 0, 1, 1);
    ASSERT_EQ(Screen().draws.size(), 2u);  // 16 and 17, before the collected ones
    EXPECT_EQ(Screen().draws[0].sx, 16);
    BufferEndRects(b);
    ASSERT_EQ(Screen().draws.size(), 18u);
    EXPECT_EQ(Screen().draws[2].sx, 0);
    EXPECT_EQ(Screen().draws[17].sx, 15);
}

TEST_F(DisplayTest, RedrawAfterPaletteShowsWholeBufferAndDropsTheRest) {
    headless::Config c;
    c.depth = 16;
    Start(c);
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    std::vector<uint8_t> rgb(768, 1);
    BufferSetPalette(b, rgb.data(), 0);
    BufferBeginRects(b);
    BufferBlit(b, nullptr, 0, 0, 8, 8, 8, 8);
    BufferBlit(b, nullptr, 0, 0, 24, 8, 8, 8);
    BufferEndRects(b);
    ASSERT_EQ(Screen().draws.size(), 1u);
    EXPECT_EQ(Screen().draws[0].dw, 64);
    EXPECT_EQ(Screen().draws[0].dh, 48);
    EXPECT_EQ(b->RedrawAll, 0u);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 1, 1, 1, 1), kBlitWholeBuffer);
}

TEST_F(DisplayTest, StretchedOffscreenDraw) {
    DisplayBuffer* b = Open(MethodDibSection, 100, 100, 150, 100);
    BufferBlit(b, nullptr, 3, 4, 10, 20, 30, 40);
    const headless::DrawCall& d = Screen().draws.at(0);
    EXPECT_EQ(d.kind, DrawKind::Stretch);
    EXPECT_EQ(d.dx, 3 + 15);
    EXPECT_EQ(d.dy, 4 + 20);
    EXPECT_EQ(d.dw, 45);
    EXPECT_EQ(d.sw, 30);
}

class DisplayDirectTest : public DisplayTest {
  protected:
    void SetUp() override {
        headless::Config c;
        c.directDraw = true;
        c.workArea = Rect{10, 0, 640, 440};  // taskbars on the left and at the bottom
        Start(c);
    }
    // The surface offset of screen pixel (x, y) on the 8-bit 640-wide screen.
    static int64_t At(int32_t x, int32_t y) { return int64_t{y} * 640 + x; }
};

TEST_F(DisplayDirectTest, ForegroundChangesRedrawOnce) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    ASSERT_NE(b->Blitter, nullptr);
    b->Bits[0] = 42;
    // First time in the foreground: the whole buffer, straight to the surface.
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 8, 8, 8), kBlitWholeBuffer);
    ASSERT_EQ(Blits().size(), 1u);
    EXPECT_EQ(Blits()[0].destinationOffset, At(100, 50));
    EXPECT_EQ(Blits()[0].width, 64u);
    EXPECT_EQ(Screen().surface[At(100, 50)], 42);
    EXPECT_EQ(Screen().locks, Screen().unlocks);
    // Then rectangle by rectangle.
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), 0u);
    EXPECT_EQ(Blits()[1].destinationOffset, At(108, 54));
    // Sent to the background: once the whole buffer through the window system, then pieces.
    Screen().foreground = nullptr;
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(Screen().draws.back().kind, DrawKind::Copy);
    EXPECT_EQ(Screen().draws.back().dw, 64);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), 0u);
    EXPECT_EQ(Screen().draws.back().dw, 8);
    EXPECT_EQ(Blits().size(), 2u);
    // Back in front: the whole buffer once more, directly.
    Screen().foreground = Screen().Find(window);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(Blits().size(), 3u);
    // An invisible window draws nothing.
    Platform().ShowWindow(window, ShowCommand::Hide);
    const size_t draws = Screen().draws.size();
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), 0u);
    EXPECT_EQ(Blits().size(), 3u);
    EXPECT_EQ(Screen().draws.size(), draws);
}

TEST_F(DisplayDirectTest, ClippedToTheWorkArea) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);  // into the foreground
    // The buffer at window position (0, 380): rows below screen row 440 are cut.
    BufferBlit(b, nullptr, 0, 380, 0, 0, 64, 48);
    EXPECT_EQ(Blits().back().height, 10u);  // 430 .. 439
    // Entirely under the taskbar: skipped.
    BufferBlit(b, nullptr, 0, 400, 0, 0, 64, 48);
    EXPECT_EQ(Blits().back().height, 10u);
    EXPECT_EQ(Blits().size(), 2u);
    // Left of the area (x 10): 15 columns cut.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-105), 0, 0, 0, 20, 4);
    EXPECT_EQ(Blits().back().sourceX, 15u);
    EXPECT_EQ(Blits().back().width, 5u);
    EXPECT_EQ(Blits().back().destinationOffset, At(10, 50));
}

TEST_F(DisplayDirectTest, DoubledRectangleLosesHalfTheOverlap) {
    DisplayBuffer* b = Open(MethodDibSection, 32, 32, 64, 64);
    ASSERT_NE(b->Blitter, nullptr);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    // The rectangle starts 5 screen pixels left of the area's x 10: 2 source pixels go.
    BufferBlit(b, nullptr, static_cast<uint32_t>(10 - 5 - 100), 0, 0, 0, 8, 4);
    EXPECT_EQ(Blits().back().sourceX, 2u);
    EXPECT_EQ(Blits().back().width, 6u);
    EXPECT_EQ(Blits().back().destinationOffset, At(9, 50));
    // At the screen's own edge the odd pixel goes too: nothing is written outside the surface.
    Screen().config.workArea = Rect{0, 0, 640, 480};
    b->AreaKnown = 0;
    BufferBlit(b, nullptr, static_cast<uint32_t>(-5 - 100), 0, 0, 0, 8, 4);
    EXPECT_EQ(Blits().back().sourceX, 3u);
    EXPECT_EQ(Blits().back().destinationOffset, At(1, 50));
}

// A surface that is only the window's own pixels: writes land at the same screen places and
// never outside it, at 1x and at 2x (where a cut rounds outward, unlike the area's).
TEST_F(DisplayDirectTest, SurfaceReachingPartOfTheScreenCutsAndPlaces) {
    Screen().config.primaryReach = Rect{100, 50, 164, 98};  // a 64 x 48 client area
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(Blits().back().destinationOffset, At(100, 50));
    EXPECT_EQ(Blits().back().width, 64u);
    // Screen columns 96 .. 111 and rows 90 .. 105: cut to 100 .. 111 and 90 .. 97.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-4), 40, 0, 0, 16, 16);
    EXPECT_EQ(Blits().back().sourceX, 4u);
    EXPECT_EQ(Blits().back().width, 12u);
    EXPECT_EQ(Blits().back().height, 8u);
    EXPECT_EQ(Blits().back().destinationOffset, At(100, 90));
    const size_t blits = Blits().size();
    BufferBlit(b, nullptr, 70, 0, 0, 0, 8, 8);  // wholly right of the surface
    EXPECT_EQ(Blits().size(), blits);

    b = Open(MethodDibSection, 32, 24, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    // Starts 5 screen pixels left of the surface: 3 source pixels go, not 2.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-5), 0, 0, 0, 8, 4);
    EXPECT_EQ(Blits().back().sourceX, 3u);
    EXPECT_EQ(Blits().back().width, 5u);
    EXPECT_EQ(Blits().back().destinationOffset, At(101, 50));
    // Ends 3 screen pixels beyond the bottom: 2 source rows go.
    BufferBlit(b, nullptr, 0, 35, 0, 0, 4, 8);
    EXPECT_EQ(Blits().back().height, 6u);
    EXPECT_EQ(Screen().locks, Screen().unlocks);
}

TEST_F(DisplayDirectTest, ScreenSizedWindowUsesTheWholeScreen) {
    Platform().MoveWindow(window, 0, 0, 640, 480);
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(b->Area.left, 0);
    EXPECT_EQ(b->Area.bottom, 480);
}

TEST_F(DisplayDirectTest, LostSurfaceIsRestoredFailedLockFallsBack) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    Screen().config.lostLocks = 2;
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    EXPECT_EQ(Blits().size(), 1u);
    Screen().config.failedLocks = 1;
    const size_t draws = Screen().draws.size();
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    EXPECT_EQ(Blits().size(), 1u);
    EXPECT_EQ(Screen().draws.size(), draws + 1);
    EXPECT_EQ(Screen().locks, Screen().unlocks);
}

TEST_F(DisplayDirectTest, InterlacedOutputBlackensTheWindowOnEntry) {
    DisplayBuffer* b = Open(MethodDibSection | Interlaced, 32, 32, 64, 64);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    ASSERT_FALSE(Screen().draws.empty());
    EXPECT_EQ(Screen().draws[0].kind, DrawKind::Black);
    EXPECT_EQ(Screen().draws[0].dw, 64);
}

TEST_F(DisplayDirectTest, CursorProbeAndHiding) {
    // A hardware cursor leaves direct writes alone.
    Screen().cursorCount = -3;
    EXPECT_EQ(Open(MethodDibSection, 64, 48)->HideCursor, 0u);
    EXPECT_EQ(Screen().cursorCount, -3);
    // Same cursor, surface and depth: the cached answer, no second probe.
    Screen().config.softwareCursor = true;
    EXPECT_EQ(Open(MethodDibSection, 64, 48)->HideCursor, 0u);
    EXPECT_EQ(std::count(Screen().log.begin(), Screen().log.end(), "probe window"), 1);

    // A software cursor undoes them: hide it around writes beneath it.
    headless::Config c = Screen().config;
    Start(c);
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    EXPECT_EQ(b->HideCursor, 1u);
    EXPECT_EQ(Screen().cursorCount, 0);
    // The cursor at (320, 240); the buffer covers (100..163, 50..97): no hiding needed.
    BufferBlit(b, nullptr, 0, 0, 0, 0, 64, 48);
    EXPECT_EQ(Screen().cursorCount, 0);
    // Under the cursor: it is hidden while writing and shown again afterwards.
    int32_t lowest = 0;
    static int32_t* lowestSeen = &lowest;
    static const BlitterCalls* recording = RecordingBlitter::Calls();
    static const BlitterCalls watch = {
        recording->open, recording->close, recording->setPalette, recording->name,
        [](TavikBlitter* bl, uint8_t* d, int32_t dp, uint32_t dx, uint32_t dy, uint32_t sx,
           int32_t sp, const uint8_t* s, uint32_t sy, uint32_t w, uint32_t h) {
            *lowestSeen = std::min(*lowestSeen, headless::TheScreen().cursorCount);
            recording->blit(bl, d, dp, dx, dy, sx, sp, s, sy, w, h);
        }};
    SetBlitters(&watch);
    BufferBlit(b, nullptr, 200, 170, 0, 0, 64, 48);
    EXPECT_EQ(lowest, -1);
    EXPECT_EQ(Screen().cursorCount, 0);
    // A rectangle ending exactly at the cursor's x leaves it alone.
    lowest = 0;
    BufferBlit(b, nullptr, 156, 170, 0, 0, 64, 48);
    EXPECT_EQ(lowest, 0);
}

TEST_F(DisplayDirectTest, CursorHidingLooksAtTheWholeBatch) {
    headless::Config c = Screen().config;
    c.softwareCursor = true;
    Start(c);
    DisplayBuffer* b = Open(MethodDibSection, 320, 240);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    BufferBeginRects(b);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    BufferBlit(b, nullptr, 0, 0, 216, 186, 8, 8);  // under the cursor at (320, 240)
    const int32_t before = Screen().cursorCount;
    BufferEndRects(b);
    EXPECT_EQ(Screen().cursorCount, before);
    EXPECT_EQ(Blits().size(), 3u);
}

TEST_F(DisplayTest, FullScreenFramesAndActivation) {
    headless::Config c;
    c.fullScreen = true;
    Start(c);
    DisplayBuffer* b = Open(MethodFullScreen200, 300, 200);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(Screen().Find(window)->minimised);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(Screen().fullScreenRequests.back().id, 0x0A500401u);
    EXPECT_EQ(Screen().fullScreenRequests.back().count, 60000u);  // rows are 304 apart
    EXPECT_EQ(BufferIsActive(b), 0u);
    Screen().ActivateFullScreen(true);
    EXPECT_EQ(BufferIsActive(b), 1u);
    Screen().ActivateFullScreen(false);
    EXPECT_EQ(BufferIsActive(b), 0u);

    // The direct method saves the screen on deactivation and puts it back on activation.
    b = Open(MethodFullScreenDirect, 320, 200);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), 0u);
    Screen().fullScreenMemory[123] = 5;
    Screen().ActivateFullScreen(false);
    Screen().fullScreenMemory[123] = 9;
    Screen().ActivateFullScreen(true);
    EXPECT_EQ(Screen().fullScreenMemory[123], 5);
    BufferClose(buffer);
    buffer = nullptr;
    EXPECT_EQ(Screen().log.back(), "close full screen");
}

TEST_F(DisplayTest, ActiveFollowsTheFocus) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    EXPECT_EQ(BufferIsActive(b), 1u);
    Screen().focus = nullptr;
    EXPECT_EQ(BufferIsActive(b), 0u);
    EXPECT_EQ(BufferIsActive(nullptr), 0u);
    EXPECT_EQ(BufferBlit(nullptr, nullptr, 0, 0, 0, 0, 1, 1), 0u);
}

}  // namespace
}  // namespace tavik
