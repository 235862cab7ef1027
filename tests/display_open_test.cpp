// Opening the display buffer: screen facts, method choice, the record's arithmetic.
#include <tuple>

#include "display_fixture.h"

namespace tavik {
namespace {

using std::tuple;
using test::DisplayTest;

TEST_F(DisplayTest, AutomaticChoiceAndRecordArithmetic) {
    DisplayBuffer* b = Open(MethodAutomatic, 100, 64);
    ASSERT_NE(b, nullptr);
    // Capacity (16 * 1) / 2 = 8, raised to 16; no direct writes without DirectDraw.
    EXPECT_EQ(tuple(b->Method, b->Pitch, b->RectCapacity, b->BottomUp, b->Blitter),
              tuple(MethodDibSection, 104u, 16u, 0u, nullptr));
    // 20 reserved colours, half at each end.
    EXPECT_EQ(tuple(b->ScreenColours, b->PaletteSize, b->FirstFree, b->FreeEnd, b->FreeCount),
              tuple(256u, 256u, 10u, 246u, 236u));
    EXPECT_EQ(b->ColourTableLayout, 6u);
    // The colour table starts as the system palette: entry 255 is white (blue, green, red, 0).
    EXPECT_EQ(tuple(b->ColourTable[4 * 255], b->ColourTable[4 * 255 + 3]), tuple(255, 0));
    // The screen was learnt once: the system palette flushed at the first open only.
    EXPECT_EQ(Open(MethodAutomatic, 320, 200)->RectCapacity, 125u);
    EXPECT_EQ(std::count(Screen().log.begin(), Screen().log.end(), "flush palette"), 1);
}

TEST_F(DisplayTest, ScreenFactsAndMethods) {
    struct Case {
        headless::Config config;
        uint32_t method, bottomUp, firstFree, freeEnd, freeCount, paletteSize;
    };
    const Case cases[] = {
        // Without DIB sections: WinG in its recommended format, else standard DIBs.
        {{.dibSections = false, .wing = true}, MethodDibSection, 1, 10, 246, 236, 256},
        {{.dibSections = false}, MethodStandardDib, 1, 10, 246, 236, 256},
        {{.staticColours = false}, MethodDibSection, 0, 1, 255, 254, 256},
        // Reserved colours only count on a 256-colour screen.
        {{.depth = 24}, MethodDibSection, 0, 0, 256, 256, 256},
        {{.depth = 4}, MethodDibSection, 0, 0, 16, 16, 16},
    };
    for (const Case& c : cases) {
        Start(c.config);
        DisplayBuffer* b = Open(MethodAutomatic, 64, 48);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(
            tuple(b->Method, b->BottomUp, b->FirstFree, b->FreeEnd, b->FreeCount, b->PaletteSize),
            tuple(c.method, c.bottomUp, c.firstFree, c.freeEnd, c.freeCount, c.paletteSize))
            << "depth " << c.config.depth;
    }
    Start({.dibSections = false});
    EXPECT_EQ(Open(MethodDibSection, 64, 48), nullptr);  // asked for explicitly: fails
    EXPECT_FALSE(DibSectionsFound());
    Start({.depth = 24});
    EXPECT_EQ(Open(MethodAutomatic, 64, 48)->ScreenColours, 16777216u);
}

TEST_F(DisplayTest, StretchDecidesRectModeAndDirectDraw) {
    Start({.directDraw = true});
    EXPECT_EQ(Open(MethodDibSection, 100, 100, 150, 100)->RectMode, 0u);  // 1.5x: even
    EXPECT_FALSE(buffer->Blitter);  // not 1x or 2x: no direct writes
    EXPECT_EQ(Open(MethodDibSection, 100, 100, 130, 100)->RectMode, 1u);  // 1.3x: odd
    const tuple<uint32_t, uint32_t, uint32_t> flags[] = {
        {MethodDibSection, 200, 2},
        {MethodDibSection | Smoothing | Interlaced, 200, 4},
        {MethodDibSection | Interlaced, 200, 8},
        {MethodDibSection, 100, 1}};
    for (const auto& [method, size, expected] : flags) {
        EXPECT_EQ(Open(method, 100, 100, size, size)->BlitterFlags, expected) << method;
        EXPECT_NE(buffer->Blitter, nullptr);
    }
    EXPECT_EQ(Open(MethodDibSection | NoDirectDraw, 100, 100)->Blitter, nullptr);

    // 16-bit screens: the primary surface's masks pick the format, or no direct writes.
    const tuple<uint32_t, uint32_t, uint32_t> formats[] = {
        {0xF800, 0x07E0, 0xC0000001u}, {0x7C00, 0x03E0, 0x80000001u}, {0xFF0000, 0x03E0, 0}};
    for (const auto& [red, green, expected] : formats) {
        Start({.depth = 16, .directDraw = true, .redMask = red, .greenMask = green});
        Open(MethodDibSection, 64, 64);
        EXPECT_EQ(buffer->Blitter ? buffer->BlitterFlags : 0, expected);
        EXPECT_EQ(buffer->Primary != nullptr, expected != 0);
        EXPECT_EQ(Screen().primaryOpen, expected != 0);
    }
    // Too many colours, or a surface that cannot be locked.
    for (const headless::Config& c : {headless::Config{.depth = 24, .directDraw = true},
                                      headless::Config{.directDraw = true, .cannotLock = true}}) {
        Start(c);
        EXPECT_EQ(Open(MethodDibSection, 64, 64)->Blitter, nullptr);
        EXPECT_FALSE(Screen().primaryOpen);
    }
}

TEST_F(DisplayTest, FullScreenMethodsAreOnlyAskedFor) {
    Start({.fullScreen = true});
    EXPECT_EQ(Open(MethodAutomatic, 320, 200)->Method, MethodDibSection);
    DisplayBuffer* b = Open(MethodFullScreen240, 320, 200);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tuple(b->Height, b->FullScreen, b->RectMode, b->FreeCount),
              tuple(204u, 1u, 1u, 256u));
    EXPECT_EQ(Open(MethodFullScreen240, 320, 240)->Height, 240u);
    EXPECT_EQ(Open(MethodFullScreen200, 320, 201), nullptr);
    EXPECT_EQ(Open(MethodFullScreenDirect, 320, 200, 640, 400), nullptr);
    b = Open(MethodFullScreenDirect, 200, 100);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tuple(b->Width, b->Height, b->RectMode), tuple(320u, 200u, 2u));
    EXPECT_EQ(b->Bits, Screen().fullScreenMemory);
    EXPECT_EQ(Open(6, 64, 64), nullptr);
}

TEST_F(DisplayTest, FailuresLeaveNothingBehind) {
    const tuple<headless::Config, uint32_t, uint32_t, uint32_t> cases[] = {
        {{.failBitmap = true}, MethodDibSection, 64, 64},
        {{.failOffscreen = true}, MethodDibSection, 64, 64},
        {{}, MethodAutomatic, 0, 64},
        {{}, MethodStandardDib, 0xFFFFFFFFu, 0xFFFFFFFFu},
        {{.fullScreen = true, .failFullScreenWindow = true}, MethodFullScreen200, 320, 200},
        {{.fullScreen = true, .failFullScreenWindow = true}, MethodFullScreenDirect, 320, 200},
    };
    for (const auto& [config, method, width, height] : cases) {
        Start(config);
        EXPECT_EQ(Open(method, width, height), nullptr) << method;
    }
}

TEST_F(DisplayTest, ClearFillsOnlyTheVisibleWidth) {
    DisplayBuffer* b = Open(MethodStandardDib, 100, 3);
    std::fill(b->Bits, b->Bits + b->Pitch * 3, 0xEE);
    BufferClear(b, 7);
    EXPECT_EQ(tuple(b->Bits[99], b->Bits[100], b->Bits[2 * 104 + 99]), tuple(7, 0xEE, 7));
    BufferClear(nullptr, 1);
}

TEST_F(DisplayTest, LibrariesAreLoadedOnceAndFreedForAReload) {
    Start({.dibSections = false, .wing = true, .directDraw = true});
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
    EXPECT_EQ(tuple(Screen().resolutionChanges[0].x, Screen().resolutionChanges[0].y,
                    Screen().resolutionChanges[1].x),
              tuple(800, 600, 0));
    Start({.displaySettings = false});
    EXPECT_EQ(SetDisplayResolution(1), 0u);
    EXPECT_EQ(SetDisplayResolution(0), 0u);
    EXPECT_TRUE(Screen().resolutionChanges.empty());
}

}  // namespace
}  // namespace tavik
