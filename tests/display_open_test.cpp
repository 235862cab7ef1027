// Opening the display buffer: screen facts, method choice, the record's arithmetic.
#include "display_fixture.h"

namespace tavik {
namespace {

using test::DisplayTest;

TEST_F(DisplayTest, AutomaticChoiceAndRecordArithmetic) {
    DisplayBuffer* b = Open(MethodAutomatic, 100, 64);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Method, MethodDibSection);
    EXPECT_EQ(b->Pitch, 104u);
    EXPECT_EQ(b->RectCapacity, 16u);  // (16 * 1) / 2 = 8, raised to 16
    EXPECT_EQ(b->BottomUp, 0u);
    EXPECT_EQ(b->ScreenColours, 256u);
    EXPECT_EQ(b->PaletteSize, 256u);
    EXPECT_EQ(b->FirstFree, 10u);  // 20 reserved colours, half at each end
    EXPECT_EQ(b->FreeEnd, 246u);
    EXPECT_EQ(b->FreeCount, 236u);
    EXPECT_EQ(b->ColourTableLayout, 6u);
    EXPECT_EQ(b->Blitter, nullptr);  // no direct writes without DirectDraw
    // The colour table starts as the system palette: entry 255 is white (blue, green, red, 0).
    EXPECT_EQ(b->ColourTable[4 * 255], 255);
    EXPECT_EQ(b->ColourTable[4 * 255 + 3], 0);
    // The screen was learnt once: the system palette flushed at the first open only.
    Open(MethodAutomatic, 320, 200);
    EXPECT_EQ(buffer->RectCapacity, 125u);
    EXPECT_EQ(std::count(Screen().log.begin(), Screen().log.end(), "flush palette"), 1);
}

TEST_F(DisplayTest, WithoutDibSectionsWinGOrStandardDibs) {
    headless::Config c;
    c.dibSections = false;
    c.wing = true;
    Start(c);
    DisplayBuffer* b = Open(MethodAutomatic, 64, 48);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Method, MethodDibSection);
    EXPECT_EQ(b->BottomUp, 1u);  // WinG's recommended format here
    EXPECT_FALSE(DibSectionsFound());

    c.wing = false;
    Start(c);
    b = Open(MethodAutomatic, 64, 48);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Method, MethodStandardDib);
    EXPECT_EQ(b->BottomUp, 1u);
    EXPECT_EQ(Open(MethodDibSection, 64, 48), nullptr);  // asked for explicitly: fails
}

TEST_F(DisplayTest, ScreenFactsAndStaticCount) {
    headless::Config c;
    c.staticColours = false;
    Start(c);
    DisplayBuffer* b = Open(MethodStandardDib, 64, 48);
    EXPECT_EQ(b->FirstFree, 1u);
    EXPECT_EQ(b->FreeEnd, 255u);
    EXPECT_EQ(b->BottomUp, 0u);  // DIB sections exist: top-down

    c = headless::Config{};
    c.depth = 24;
    Start(c);
    b = Open(MethodAutomatic, 64, 48);
    EXPECT_EQ(b->ScreenColours, 16777216u);
    EXPECT_EQ(b->FirstFree, 0u);  // reserved colours only count on a 256-colour screen
    EXPECT_EQ(b->FreeEnd, 256u);

    c.depth = 4;
    Start(c);
    b = Open(MethodAutomatic, 64, 48);
    EXPECT_EQ(b->PaletteSize, 16u);
    EXPECT_EQ(b->FreeCount, 16u);
}

TEST_F(DisplayTest, StretchDecidesRectModeAndDirectDraw) {
    headless::Config c;
    c.directDraw = true;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 100, 100, 150, 100)->RectMode, 0u);  // 1.5x: even
    EXPECT_FALSE(buffer->Blitter);  // not 1x or 2x: no direct writes
    EXPECT_EQ(Open(MethodDibSection, 100, 100, 130, 100)->RectMode, 1u);  // 1.3x: odd
    EXPECT_EQ(Open(MethodDibSection, 100, 100, 200, 200)->BlitterFlags, 2u);
    EXPECT_NE(buffer->Blitter, nullptr);
    EXPECT_EQ(Open(MethodDibSection | Smoothing | Interlaced, 100, 100, 200, 200)->BlitterFlags,
              4u);
    EXPECT_EQ(Open(MethodDibSection | Interlaced, 100, 100, 200, 200)->BlitterFlags, 8u);
    EXPECT_EQ(Open(MethodDibSection, 100, 100)->BlitterFlags, 1u);
    EXPECT_EQ(Open(MethodDibSection | NoDirectDraw, 100, 100)->Blitter, nullptr);

    c.depth = 16;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64)->BlitterFlags, 0xC0000001u);
    c.redMask = 0x7C00;
    c.greenMask = 0x03E0;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64)->BlitterFlags, 0x80000001u);
    c.redMask = 0xFF0000;  // not a format the blitter writes
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64)->Blitter, nullptr);
    EXPECT_EQ(buffer->Primary, nullptr);
    EXPECT_FALSE(Screen().primaryOpen);

    c = headless::Config{};
    c.directDraw = true;
    c.depth = 24;  // too many colours for direct writes
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64)->Blitter, nullptr);
    c.depth = 8;
    c.cannotLock = true;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64)->Blitter, nullptr);
    EXPECT_FALSE(Screen().primaryOpen);
}

TEST_F(DisplayTest, FullScreenMethodsAreOnlyAskedFor) {
    headless::Config c;
    c.fullScreen = true;
    Start(c);
    EXPECT_EQ(Open(MethodAutomatic, 320, 200)->Method, MethodDibSection);
    DisplayBuffer* b = Open(MethodFullScreen240, 320, 200);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Height, 204u);
    EXPECT_EQ(b->FullScreen, 1u);
    EXPECT_EQ(b->RectMode, 1u);
    EXPECT_EQ(b->FreeCount, 256u);
    EXPECT_EQ(Open(MethodFullScreen240, 320, 240)->Height, 240u);
    EXPECT_EQ(Open(MethodFullScreen200, 320, 201), nullptr);
    EXPECT_EQ(Open(MethodFullScreenDirect, 320, 200, 640, 400), nullptr);
    b = Open(MethodFullScreenDirect, 200, 100);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width, 320u);
    EXPECT_EQ(b->Height, 200u);
    EXPECT_EQ(b->RectMode, 2u);
    EXPECT_EQ(b->Bits, Screen().fullScreenMemory);
    EXPECT_EQ(Open(6, 64, 64), nullptr);
}

TEST_F(DisplayTest, FailuresLeaveNothingBehind) {
    headless::Config c;
    c.failBitmap = true;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64), nullptr);
    c = headless::Config{};
    c.failOffscreen = true;
    Start(c);
    EXPECT_EQ(Open(MethodDibSection, 64, 64), nullptr);
    EXPECT_EQ(Open(MethodAutomatic, 0, 64), nullptr);
    EXPECT_EQ(Open(MethodStandardDib, 0xFFFFFFFFu, 0xFFFFFFFFu), nullptr);
    c = headless::Config{};
    c.fullScreen = true;
    c.failFullScreenWindow = true;
    Start(c);
    EXPECT_EQ(Open(MethodFullScreen200, 320, 200), nullptr);
    EXPECT_EQ(Open(MethodFullScreenDirect, 320, 200), nullptr);
}

TEST_F(DisplayTest, ClearFillsOnlyTheVisibleWidth) {
    DisplayBuffer* b = Open(MethodStandardDib, 100, 3);
    std::fill(b->Bits, b->Bits + b->Pitch * 3, 0xEE);
    BufferClear(b, 7);
    EXPECT_EQ(b->Bits[99], 7);
    EXPECT_EQ(b->Bits[100], 0xEE);  // the row's padding
    EXPECT_EQ(b->Bits[2 * 104 + 99], 7);
    BufferClear(nullptr, 1);
}

TEST_F(DisplayTest, LibrariesAreLoadedOnceAndFreedForAReload) {
    headless::Config c;
    c.dibSections = false;
    c.wing = true;
    c.directDraw = true;
    Start(c);
    Open(MethodDibSection, 64, 64);
    Open(MethodDibSection, 64, 64);
    auto loads = [] {
        return std::count(Screen().log.begin(), Screen().log.end(), "load library 1");
    };
    EXPECT_EQ(loads(), 1);
    BufferClose(buffer);
    buffer = nullptr;
    FreeDisplayLibraries();
    EXPECT_EQ(Screen().loaded.count(DisplayLibrary::WinG), 0u);
    Open(MethodDibSection, 64, 64);
    EXPECT_EQ(loads(), 2);
}

TEST_F(DisplayTest, DisplayResolution) {
    EXPECT_EQ(SetDisplayResolution(5), 0u);
    EXPECT_TRUE(Screen().log.empty() || Screen().log.back() != "load library 4");
    EXPECT_EQ(SetDisplayResolution(3), 1u);
    EXPECT_EQ(SetDisplayResolution(0), 1u);
    ASSERT_EQ(Screen().resolutionChanges.size(), 2u);
    EXPECT_EQ(Screen().resolutionChanges[0].x, 800);
    EXPECT_EQ(Screen().resolutionChanges[0].y, 600);
    EXPECT_EQ(Screen().resolutionChanges[1].x, 0);
    headless::Config c;
    c.displaySettings = false;
    Start(c);
    EXPECT_EQ(SetDisplayResolution(1), 0u);
    EXPECT_EQ(SetDisplayResolution(0), 0u);
    EXPECT_TRUE(Screen().resolutionChanges.empty());
}

}  // namespace
}  // namespace tavik
