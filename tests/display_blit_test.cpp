// Blitting: the batch, standard DIBs, direct writes (foreground, clipping, cursor), full screen.
#include <tuple>

#include "display_fixture.h"

namespace tavik {
namespace {

using headless::DrawKind;
using std::tuple;
using test::DisplayTest;
using test::RecordingBlitter;

const std::vector<test::BlitRecord>& Blits() {
    return RecordingBlitter::Records();
}

TEST_F(DisplayTest, StretchedDrawsCountTheirRowsAndScale) {
    DisplayBuffer* b = Open(MethodStandardDib, 320, 200, 640, 300);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 4, 0, 8, 10), 0u);
    ASSERT_EQ(Screen().draws.size(), 1u);
    // Source row 200 - 10 - 0, x 4 * 640 / 320, height 10 * 300 / 200; top-down rows here.
    const headless::DrawCall& d = Screen().draws[0];
    EXPECT_EQ(tuple(d.kind, d.sy, d.dx, d.dw, d.dh, d.bitmapWidth, d.bitmapHeight),
              tuple(DrawKind::Bits, 190, 8, 16, 15, 320, -200));
    // Co-ordinates are cut to 16 bits on the way.
    BufferBlit(b, nullptr, 70000, 0, 0, 0, 1, 1);
    EXPECT_EQ(Screen().draws.back().dx, 70000 - 65536);
    EXPECT_EQ(Screen().liveDrawContexts, 0);
    // A DIB section is stretched from its own rows.
    BufferBlit(Open(MethodDibSection, 100, 100, 150, 100), nullptr, 3, 4, 10, 20, 30, 40);
    const headless::DrawCall& s = Screen().draws.back();
    EXPECT_EQ(tuple(s.kind, s.dx, s.dy, s.dw, s.sw),
              tuple(DrawKind::Stretch, 3 + 15, 4 + 20, 45, 30));
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
    EXPECT_EQ(tuple(Screen().draws[0].sx, Screen().draws[1].sx, Screen().draws[1].dh),
              tuple(0, 16, 4));
    EXPECT_EQ(tuple(b->RectState, b->RectCount), tuple(RectsImmediate, 0u));

    // A full batch (capacity 16) draws the overflow at once, before the collected ones.
    Screen().draws.clear();
    BufferBeginRects(b);
    for (uint32_t i = 0; i < 18; ++i) BufferBlit(b, nullptr, 0, 0, i, 0, 1, 1);
    ASSERT_EQ(Screen().draws.size(), 2u);
    EXPECT_EQ(Screen().draws[0].sx, 16);
    BufferEndRects(b);
    ASSERT_EQ(Screen().draws.size(), 18u);
    EXPECT_EQ(tuple(Screen().draws[2].sx, Screen().draws[17].sx), tuple(0, 15));
}

TEST_F(DisplayTest, RedrawAfterPaletteShowsWholeBufferAndDropsTheRest) {
    Start({.depth = 16});
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    std::vector<uint8_t> rgb(768, 1);
    BufferSetPalette(b, rgb.data(), 0);
    BufferBeginRects(b);
    BufferBlit(b, nullptr, 0, 0, 8, 8, 8, 8);
    BufferBlit(b, nullptr, 0, 0, 24, 8, 8, 8);
    BufferEndRects(b);
    ASSERT_EQ(Screen().draws.size(), 1u);
    EXPECT_EQ(tuple(Screen().draws[0].dw, Screen().draws[0].dh, b->RedrawAll), tuple(64, 48, 0u));
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 1, 1, 1, 1), kBlitWholeBuffer);
}

class DisplayDirectTest : public DisplayTest {
  protected:
    // Taskbars on the left and at the bottom.
    void SetUp() override { Start({.workArea = Rect{10, 0, 640, 440}, .directDraw = true}); }
    // The last rectangle written: its source column, size and the screen pixel it starts at.
    static tuple<uint32_t, uint32_t, uint32_t, int64_t> Last() {
        const test::BlitRecord& r = Blits().back();
        return {r.sourceX, r.width, r.height, r.destinationOffset};
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
    EXPECT_EQ(Last(), tuple(0u, 64u, 48u, At(100, 50)));
    EXPECT_EQ(Screen().surface[At(100, 50)], 42);
    EXPECT_EQ(Screen().locks, Screen().unlocks);
    // Then rectangle by rectangle.
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), 0u);
    EXPECT_EQ(Blits()[1].destinationOffset, At(108, 54));
    // Sent to the background: once the whole buffer through the window system, then pieces.
    Screen().foreground = nullptr;
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(tuple(Screen().draws.back().kind, Screen().draws.back().dw),
              tuple(DrawKind::Copy, 64));
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), 0u);
    EXPECT_EQ(Screen().draws.back().dw, 8);
    EXPECT_EQ(Blits().size(), 2u);
    // Back in front: the whole buffer once more, directly.
    Screen().foreground = Screen().Find(window);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 8, 4, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(Blits().size(), 3u);
    // An invisible window draws nothing.
    Platform().windows->ShowWindow(window, ShowCommand::Hide);
    const size_t draws = Screen().draws.size();
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), 0u);
    EXPECT_EQ(Blits().size(), 3u);
    EXPECT_EQ(Screen().draws.size(), draws);
}

TEST_F(DisplayDirectTest, CutToTheWorkArea) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);  // into the foreground
    // The buffer at window position (0, 380): rows below screen row 440 are cut.
    BufferBlit(b, nullptr, 0, 380, 0, 0, 64, 48);
    EXPECT_EQ(Last(), tuple(0u, 64u, 10u, At(100, 430)));  // rows 430 .. 439
    // Entirely under the taskbar: skipped.
    BufferBlit(b, nullptr, 0, 400, 0, 0, 64, 48);
    EXPECT_EQ(Blits().size(), 2u);
    // Left of the area (x 10): 15 columns cut.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-105), 0, 0, 0, 20, 4);
    EXPECT_EQ(Last(), tuple(15u, 5u, 4u, At(10, 50)));

    // Doubled, a rectangle loses half the overlap.
    b = Open(MethodDibSection, 32, 32, 64, 64);
    ASSERT_NE(b->Blitter, nullptr);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    // The rectangle starts 5 screen pixels left of the area's x 10: 2 source pixels go.
    BufferBlit(b, nullptr, static_cast<uint32_t>(10 - 5 - 100), 0, 0, 0, 8, 4);
    EXPECT_EQ(Last(), tuple(2u, 6u, 4u, At(9, 50)));
    // At the screen's own edge the odd pixel goes too: nothing is written outside the surface.
    Screen().config.workArea = Rect{0, 0, 640, 480};
    b->AreaKnown = 0;
    BufferBlit(b, nullptr, static_cast<uint32_t>(-5 - 100), 0, 0, 0, 8, 4);
    EXPECT_EQ(Last(), tuple(3u, 5u, 4u, At(1, 50)));
}

// A surface that is only the window's own pixels: writes land at the same screen places and
// never outside it, at 1x and at 2x (where a cut rounds outward, unlike the area's).
TEST_F(DisplayDirectTest, SurfaceReachingPartOfTheScreenCutsAndPlaces) {
    Screen().config.primaryReach = Rect{100, 50, 164, 98};  // a 64 x 48 client area
    DisplayBuffer* b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(Last(), tuple(0u, 64u, 48u, At(100, 50)));
    // Screen columns 96 .. 111 and rows 90 .. 105: cut to 100 .. 111 and 90 .. 97.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-4), 40, 0, 0, 16, 16);
    EXPECT_EQ(Last(), tuple(4u, 12u, 8u, At(100, 90)));
    const size_t blits = Blits().size();
    BufferBlit(b, nullptr, 70, 0, 0, 0, 8, 8);  // wholly right of the surface
    EXPECT_EQ(Blits().size(), blits);

    b = Open(MethodDibSection, 32, 24, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    // Starts 5 screen pixels left of the surface: 3 source pixels go, not 2.
    BufferBlit(b, nullptr, static_cast<uint32_t>(-5), 0, 0, 0, 8, 4);
    EXPECT_EQ(Last(), tuple(3u, 5u, 4u, At(101, 50)));
    // Ends 3 screen pixels beyond the bottom: 2 source rows go.
    BufferBlit(b, nullptr, 0, 35, 0, 0, 4, 8);
    EXPECT_EQ(Blits().back().height, 6u);
    EXPECT_EQ(Screen().locks, Screen().unlocks);
}

// A lost surface is restored, a failed lock falls back to the window system.
TEST_F(DisplayDirectTest, SurfaceStatesAndEntering) {
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

    // Entering the foreground: a screen-sized window uses the whole screen; interlaced output
    // blackens the window first.
    Platform().windows->MoveWindow(window, 0, 0, 640, 480);
    b = Open(MethodDibSection, 64, 48);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(tuple(b->Area.left, b->Area.bottom), tuple(0, 480));
    const size_t before = Screen().draws.size();
    b = Open(MethodDibSection | Interlaced, 32, 32, 64, 64);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    ASSERT_GT(Screen().draws.size(), before);
    EXPECT_EQ(tuple(Screen().draws[before].kind, Screen().draws[before].dw),
              tuple(DrawKind::Black, 64));
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
    BufferBlit(b, nullptr, 200, 170, 0, 0, 64, 48);
    EXPECT_EQ(Blits().back().cursorCount, -1);
    EXPECT_EQ(Screen().cursorCount, 0);
    // A rectangle ending exactly at the cursor's x leaves it alone.
    BufferBlit(b, nullptr, 156, 170, 0, 0, 64, 48);
    EXPECT_EQ(Blits().back().cursorCount, 0);

    // The cursor is hidden around a whole batch when any of it lies beneath.
    b = Open(MethodDibSection, 320, 240);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 1, 1);
    RecordingBlitter::Records().clear();
    BufferBeginRects(b);
    BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8);
    BufferBlit(b, nullptr, 0, 0, 216, 186, 8, 8);  // under the cursor at (320, 240)
    BufferEndRects(b);
    ASSERT_EQ(Blits().size(), 2u);
    EXPECT_EQ(tuple(Blits()[0].cursorCount, Blits()[1].cursorCount, Screen().cursorCount),
              tuple(-1, -1, 0));
}

TEST_F(DisplayTest, FullScreenFramesAndActivation) {
    Start({.fullScreen = true});
    DisplayBuffer* b = Open(MethodFullScreen200, 300, 200);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(Screen().Find(window)->minimised);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), kBlitWholeBuffer);
    EXPECT_EQ(
        tuple(Screen().fullScreenRequests.back().id, Screen().fullScreenRequests.back().count),
        tuple(0x0A500401u, 60000u));  // rows are 304 apart
    EXPECT_EQ(BufferIsActive(b), 0u);
    for (const bool active : {true, false}) {
        Screen().ActivateFullScreen(active);
        EXPECT_EQ(BufferIsActive(b), active ? 1u : 0u);
    }

    // The direct method saves the screen on deactivation and puts it back on activation.
    b = Open(MethodFullScreenDirect, 320, 200);
    EXPECT_EQ(BufferBlit(b, nullptr, 0, 0, 0, 0, 8, 8), 0u);
    Screen().fullScreenMemory[123] = 5;
    Screen().ActivateFullScreen(false);
    Screen().fullScreenMemory[123] = 9;
    Screen().ActivateFullScreen(true);
    EXPECT_EQ(Screen().fullScreenMemory[123], 5);
    BufferClose(std::exchange(buffer, nullptr));
    EXPECT_EQ(Screen().log.back(), "close full screen");

    // In a window, active follows the focus.
    Start({});
    b = Open(MethodDibSection, 64, 48);
    EXPECT_EQ(BufferIsActive(b), 1u);
    Screen().focus = nullptr;
    EXPECT_EQ(BufferIsActive(b), 0u);
    EXPECT_EQ(BufferIsActive(nullptr), 0u);
    EXPECT_EQ(BufferBlit(nullptr, nullptr, 0, 0, 0, 0, 1, 1), 0u);
}

}  // namespace
}  // namespace tavik
