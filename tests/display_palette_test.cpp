// Palettes: the identity palette's free range, the nudging of colours equal to top statics,
// the layout word, and where each screen kind sends the palette.
#include "display_fixture.h"

namespace tavik {
namespace {

using test::DisplayTest;

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
    EXPECT_EQ(Red(b, 9), 166);  // static: the system's (166, 202, 240)
    EXPECT_EQ(Red(b, 10), 10);  // free: the movie's
    EXPECT_EQ(Red(b, 245), 245);
    EXPECT_EQ(Red(b, 246), 255);  // static again
    ASSERT_EQ(Screen().palettesCreated.size(), 1u);
    const auto& logical = Screen().palettesCreated[0];
    ASSERT_EQ(logical.size(), 256u);
    EXPECT_EQ(logical[9].flags, 0);
    EXPECT_EQ(logical[10].flags, kPaletteNoCollapse);
    EXPECT_EQ(logical[9].blue, 240);
    EXPECT_EQ(Screen().offscreenColourLoads, 1u);
    EXPECT_EQ(b->Shown, 1u);
    EXPECT_EQ(b->RedrawAll, 0u);  // palettised screen: nothing to redraw
}

TEST_F(DisplayTest, ColoursEqualToTopStaticsAreNudged) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    std::vector<uint8_t> rgb(768, 0);
    auto set = [&](int i, uint8_t r, uint8_t g, uint8_t bl) {
        rgb[3 * i] = r, rgb[3 * i + 1] = g, rgb[3 * i + 2] = bl;
    };
    set(100, 255, 255, 255);  // the white of entry 255: both low bits set, goes down
    set(101, 128, 0, 128);    // equal to a bottom static (entry 5): unchanged
    set(102, 0, 0, 255);      // the blue of entry 252: red 0 goes up to 1
    // A second static chain: red 12 meets (12, 7, 7), becomes 13, then meets (13, 7, 7).
    Screen().config.systemPalette[250] = {12, 7, 7, 0};
    Screen().config.systemPalette[251] = {13, 7, 7, 0};
    Open(MethodDibSection, 64, 64);
    b = buffer;
    set(103, 12, 7, 7);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(Red(b, 100), 254);
    EXPECT_EQ(Red(b, 101), 128);
    EXPECT_EQ(Red(b, 102), 1);
    EXPECT_EQ(Red(b, 103), 14);
    EXPECT_EQ(Screen().palettesCreated.back()[100].red, 254);
}

TEST_F(DisplayTest, LayoutWord) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    // Four bytes per entry, colour from the second byte, blue first.
    std::vector<uint8_t> entries(256 * 4);
    entries[4 * 50 + 1] = 30, entries[4 * 50 + 2] = 20, entries[4 * 50 + 3] = 10;
    BufferSetPalette(b, entries.data(), 4 | 8 | 2);
    EXPECT_EQ(b->ColourTable[4 * 50], 30);  // blue
    EXPECT_EQ(b->ColourTable[4 * 50 + 1], 20);
    EXPECT_EQ(Red(b, 50), 10);
    // 16-bit channels: the low byte of each counts.
    std::vector<uint8_t> wide(256 * 6);
    wide[6 * 60] = 1, wide[6 * 60 + 2] = 2, wide[6 * 60 + 4] = 3, wide[6 * 60 + 5] = 99;
    BufferSetPalette(b, wide.data(), 1);
    EXPECT_EQ(Red(b, 60), 1);
    EXPECT_EQ(b->ColourTable[4 * 60], 3);
}

TEST_F(DisplayTest, NoStaticsKeepsBlackAndWhite) {
    headless::Config c;
    c.staticColours = false;
    Start(c);
    DisplayBuffer* b = Open(MethodStandardDib, 64, 64);
    std::vector<uint8_t> rgb(768, 77);
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(Red(b, 0), 0);
    EXPECT_EQ(Red(b, 255), 255);
    EXPECT_EQ(Red(b, 1), 77);
    EXPECT_EQ(Red(b, 254), 77);
}

TEST_F(DisplayTest, SixteenColourScreenOnlyMarksShown) {
    headless::Config c;
    c.depth = 4;
    Start(c);
    DisplayBuffer* b = Open(MethodStandardDib, 64, 64);
    std::vector<uint8_t> rgb = GreyPalette();
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(b->Shown, 1u);
    EXPECT_TRUE(Screen().palettesCreated.empty());
}

TEST_F(DisplayTest, DeepScreenRedrawsAndFeedsTheBlitter) {
    headless::Config c;
    c.depth = 16;
    c.directDraw = true;
    Start(c);
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    ASSERT_NE(b->Blitter, nullptr);
    std::vector<uint8_t> rgb = GreyPalette();
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_EQ(b->RedrawAll, 1u);
    EXPECT_EQ(Red(b, 0), 0);  // no statics on a 16-bit screen: all 256 from the movie
    EXPECT_EQ(Red(b, 255), 255);
}

TEST_F(DisplayTest, RealisingAndReadingTheSystemPalette) {
    DisplayBuffer* b = Open(MethodDibSection, 64, 64);
    // Realised before any movie palette: the palette is made then, the free range protected.
    BufferRealizePalette(b);
    ASSERT_EQ(Screen().palettesCreated.size(), 1u);
    EXPECT_EQ(Screen().palettesCreated[0][9].flags, 0);
    EXPECT_EQ(Screen().palettesCreated[0][10].flags, kPaletteNoCollapse);
    std::vector<uint8_t> rgb = GreyPalette();
    rgb[3 * 20] = 200;
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_GT(BufferRealizePalette(b), 0u);
    uint8_t system[768];
    ReadSystemPalette(system);
    EXPECT_EQ(system[3 * 20], 200);
    EXPECT_EQ(system[3 * 255], 255);
    EXPECT_EQ(BufferRealizePalette(nullptr), 0u);
    // Realising after something was shown asks for a repaint.
    Screen().Find(window)->invalid = false;
    EXPECT_EQ(BufferRealizePalette(b), 0u);
    EXPECT_TRUE(Screen().Find(window)->invalid);
}

TEST_F(DisplayTest, FullScreenPaletteGoesToTheWindow) {
    headless::Config c;
    c.fullScreen = true;
    Start(c);
    DisplayBuffer* b = Open(MethodFullScreen240, 320, 240);
    std::vector<uint8_t> rgb = GreyPalette();
    rgb[0] = 9;
    BufferSetPalette(b, rgb.data(), 0);
    EXPECT_TRUE(Screen().palettesCreated.empty());
    const auto& requests = Screen().fullScreenRequests;
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].id, 0x8AD50400u);  // the format, at open
    EXPECT_EQ(requests[1].id, 0x8AC50400u);
    EXPECT_EQ(requests[1].count, 1064u);
    EXPECT_EQ(requests[1].data[40 + 2], 9);  // entry 0's red, all 256 from the movie
    // The header's colour area holds the indices again afterwards.
    Open(MethodFullScreenDirect, 320, 200);
    BufferSetPalette(buffer, rgb.data(), 0);
    EXPECT_EQ(requests.back().id, 0x8AC10400u);
    EXPECT_EQ(requests[requests.size() - 2].id, 0x8AD10400u);
    EXPECT_EQ(requests[requests.size() - 2].data[40 + 2 * 7], 7);
}

}  // namespace
}  // namespace tavik
