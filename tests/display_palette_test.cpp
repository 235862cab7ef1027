// Palettes: the identity palette's free range, the nudging of colours equal to top statics,
// the layout word, and where each screen kind sends the palette.
#include <tuple>

#include "display_fixture.h"

namespace tavik {
namespace {

using std::tuple;
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
// shown; a deep one takes all 256 from the movie and redraws.
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

TEST_F(DisplayTest, FullScreenPaletteGoesToTheWindow) {
    Start({.fullScreen = true});
    DisplayBuffer* b = Open(MethodFullScreen240, 320, 240);
    std::vector<uint8_t> rgb = GreyPalette();
    rgb[0] = 9;
    BufferSetPalette(b, rgb.data(), 0);
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

}  // namespace
}  // namespace tavik
