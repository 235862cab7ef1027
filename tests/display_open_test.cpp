// Opening the display buffer (screen facts, method choice, the record) and its palettes.
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
        uint32_t method, bottomUp, firstFree, freeEnd, freeCount, paletteSize, screenColours;
    };
    const Case cases[] = {
        // 20 reserved colours, half at each end.
        {{}, MethodDibSection, 0, 10, 246, 236, 256, 256},
        // Without DIB sections: WinG in its recommended format, else standard DIBs.
        {{.dibSections = false, .wing = true}, MethodDibSection, 1, 10, 246, 236, 256, 256},
        {{.dibSections = false}, MethodStandardDib, 1, 10, 246, 236, 256, 256},
        {{.staticColours = false}, MethodDibSection, 0, 1, 255, 254, 256, 256},
        // Reserved colours only count on a 256-colour screen.
        {{.depth = 24}, MethodDibSection, 0, 0, 256, 256, 256, 16777216},
        {{.depth = 4}, MethodDibSection, 0, 0, 16, 16, 16, 16},
    };
    for (const Case& c : cases) {
        Start(c.config);
        DisplayBuffer* b = Open(MethodAutomatic, 64, 48);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(tuple(b->Method, b->BottomUp, b->FirstFree, b->FreeEnd, b->FreeCount,
                        b->PaletteSize, b->ScreenColours),
                  tuple(c.method, c.bottomUp, c.firstFree, c.freeEnd, c.freeCount, c.paletteSize,
                        c.screenColours))
            << "depth " << c.config.depth;
    }
    Start({.dibSections = false});
    EXPECT_EQ(Open(MethodDibSection, 64, 48), nullptr);  // asked for explicitly: fails
    EXPECT_FALSE(DibSectionsFound());
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
    BufferClose(std::exchange(buffer, nullptr));
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

std::vector<uint8_t> GreyPalette() {
    std::vector<uint8_t> rgb(768);
    for (int i = 0; i < 256; ++i)
        rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = static_cast<uint8_t>(i);
    return rgb;
}

uint8_t Red(const DisplayBuffer* b, int i) {
    return b->ColourTable[4 * i + 2];
}

TEST_F(DisplayTest, FreeRangeTakesTheMovieStaticsStay) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    std::vector<uint8_t> rgb = GreyPalette();
    BufferSetPalette(b, rgb.data(), 0);
    // Entries 9 and 246 are statics, the system's (166, 202, 240) and white; 10-245 the movie's.
    EXPECT_EQ(tuple(Red(b, 9), Red(b, 10), Red(b, 245), Red(b, 246)), tuple(166, 10, 245, 255));
    ASSERT_EQ(Screen().palettesCreated.size(), 1u);
    const auto& logical = Screen().palettesCreated[0];
    ASSERT_EQ(logical.size(), 256u);
    EXPECT_EQ(tuple(logical[9].flags, logical[10].flags, logical[9].blue),
              tuple(0, kPaletteNoCollapse, 240));
    EXPECT_EQ(Screen().offscreenColourLoads, 1u);
    EXPECT_EQ(b->Shown, 1u);
    EXPECT_EQ(b->RedrawAll, 0u);  // palettised screen: nothing to redraw
}

TEST_F(DisplayTest, ColoursEqualToTopStaticsAreNudged) {
    std::vector<uint8_t> rgb(768, 0);
    auto set = [&](int i, uint8_t r, uint8_t g, uint8_t bl) {
        rgb[3 * i] = r, rgb[3 * i + 1] = g, rgb[3 * i + 2] = bl;
    };
    set(100, 255, 255, 255);  // the white of entry 255: both low bits set, goes down
    set(101, 128, 0, 128);    // equal to a bottom static (entry 5): unchanged
    set(102, 0, 0, 255);      // the blue of entry 252: red 0 goes up to 1
    // A second static chain: red 12 meets (12, 7, 7), becomes 13, then meets (13, 7, 7).
    set(103, 12, 7, 7);
    Screen().config.systemPalette[250] = {12, 7, 7, 0};
    Screen().config.systemPalette[251] = {13, 7, 7, 0};
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(tuple(Red(b, 100), Red(b, 101), Red(b, 102), Red(b, 103)), tuple(254, 128, 1, 14));
    EXPECT_EQ(Screen().palettesCreated.back()[100].red, 254);
}

TEST_F(DisplayTest, LayoutWord) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    // Four bytes per entry, colour from the second byte, blue first.
    std::vector<uint8_t> entries(256 * 4);
    entries[4 * 50 + 1] = 30, entries[4 * 50 + 2] = 20, entries[4 * 50 + 3] = 10;
    BufferSetPalette(b, entries.data(), 4 | 8 | 2);
    EXPECT_EQ(tuple(b->ColourTable[4 * 50], b->ColourTable[4 * 50 + 1], Red(b, 50)),
              tuple(30, 20, 10));
    // 16-bit channels: the low byte of each counts.
    std::vector<uint8_t> wide(256 * 6);
    wide[6 * 60] = 1, wide[6 * 60 + 2] = 2, wide[6 * 60 + 4] = 3, wide[6 * 60 + 5] = 99;
    BufferSetPalette(b, wide.data(), 1);
    EXPECT_EQ(tuple(Red(b, 60), b->ColourTable[4 * 60]), tuple(1, 3));
}

// Screens without statics keep black and white; a 16-colour screen only marks the palette
// shown; a deep one takes all 256 from the movie and redraws; full screen sends it to the window.
TEST_F(DisplayTest, EachScreenKindTakesThePaletteItsWay) {
    Start({.staticColours = false});
    DisplayBuffer* b = Open(MethodStandardDib, 64, 64);
    std::vector<uint8_t> rgb(768, 77);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(tuple(Red(b, 0), Red(b, 255), Red(b, 1), Red(b, 254)), tuple(0, 255, 77, 77));

    rgb = GreyPalette();
    Start({.depth = 4});
    BufferSetPalette(Open(MethodStandardDib, 64, 64), rgb.data(), 0);
    EXPECT_EQ(buffer->Shown, 1u);
    EXPECT_TRUE(Screen().palettesCreated.empty());

    Start({.depth = 16, .directDraw = true});
    b = Open(MethodDibSection, 64, 64);
    ASSERT_NE(b->Blitter, nullptr);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(tuple(b->RedrawAll, Red(b, 0), Red(b, 255)), tuple(1u, 0, 255));

    // Full screen: the palette goes to the window.
    Start({.fullScreen = true});
    rgb[0] = 9;
    BufferSetPalette(Open(MethodFullScreen240, 320, 240), rgb.data(), 0);
    EXPECT_TRUE(Screen().palettesCreated.empty());
    const auto& requests = Screen().fullScreenRequests;
    ASSERT_EQ(requests.size(), 2u);
    // The format at open, then the colours: entry 0's red, all 256 from the movie.
    EXPECT_EQ(tuple(requests[0].id, requests[1].id, requests[1].count, requests[1].data[40 + 2]),
              tuple(0x8AD50400u, 0x8AC50400u, 1064u, 9));
    // The header's colour area holds the indices again afterwards.
    Open(MethodFullScreenDirect, 320, 200);
    BufferSetPalette(buffer, rgb.data(), 0);
    const auto& format = requests[requests.size() - 2];
    EXPECT_EQ(tuple(format.id, format.data[40 + 2 * 7], requests.back().id),
              tuple(0x8AD10400u, 7, 0x8AC10400u));
}

TEST_F(DisplayTest, RealisingAndReadingTheSystemPalette) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    // Realised before any movie palette: the palette is made then, the free range protected.
    BufferRealizePalette(b);
    ASSERT_EQ(Screen().palettesCreated.size(), 1u);
    EXPECT_EQ(tuple(Screen().palettesCreated[0][9].flags, Screen().palettesCreated[0][10].flags),
              tuple(0, kPaletteNoCollapse));
    std::vector<uint8_t> rgb = GreyPalette();
    rgb[3 * 20] = 200;
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_GT(BufferRealizePalette(b), 0u);
    uint8_t system[768];
    ReadSystemPalette(system);
    EXPECT_EQ(tuple(system[3 * 20], system[3 * 255]), tuple(200, 255));
    EXPECT_EQ(BufferRealizePalette(nullptr), 0u);
    // Realising after something was shown asks for a repaint.
    Screen().Find(window)->invalid = false;
    EXPECT_EQ(BufferRealizePalette(b), 0u);
    EXPECT_TRUE(Screen().Find(window)->invalid);
}

// A backend with only the required groups: every facility of a missing group counts as absent
// (never asked for), and the player draws through the window with no palettes at all.
TEST_F(DisplayTest, MissingGroupsAreFacilitiesNotThere) {
    Start({.wing = true, .directDraw = true, .fullScreen = true});
    static PlatformOps bare;  // in use until the fixture's tear-down
    bare = HeadlessPlatform();
    bare.pictures = nullptr;
    bare.primary = nullptr;
    bare.fullScreen = nullptr;
    SetPlatform(&bare);
    DisplayBuffer* b = Open(MethodAutomatic, 64, 48);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Method, MethodStandardDib);
    EXPECT_EQ(Open(MethodFullScreen240, 320, 200), nullptr);
    EXPECT_EQ(SetDisplayResolution(2), 0u);
    std::vector<uint8_t> rgb(768, 77);
    BufferSetPalette(Open(MethodStandardDib, 64, 48), rgb.data(), 0);
    EXPECT_EQ(BufferRealizePalette(buffer), 0u);
    BufferBlit(buffer, nullptr, 0, 0, 0, 0, 64, 48);
    EXPECT_TRUE(std::none_of(Screen().log.begin(), Screen().log.end(), [](const std::string& l) {
        return l.find("library") != std::string::npos;
    }));
    ASSERT_FALSE(Screen().draws.empty());
    EXPECT_EQ(Screen().draws.back().kind, headless::DrawKind::Bits);
    EXPECT_TRUE(Screen().palettesCreated.empty());
}

}  // namespace
}  // namespace tavik
