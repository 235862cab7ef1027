// The simulated screen: its format and size, the facilities it offers, and the cursor.
//
// SDL offers no writable screen, so the backend offers one of its own choosing: each window's
// pixels in the screen format, and for direct writes the player window's own texture
// (sdl_primary.cpp).
#include <algorithm>
#include <cstring>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

namespace {

ScreenFacts g_screen;

}  // namespace

ScreenFacts& Screen() {
    return g_screen;
}

int32_t PixelStore::Pitch() const {
    return width * static_cast<int32_t>(Screen().bytesPerPixel);
}

// A window's pixels are kept up to a 4096 x 4096 area (more than today's screens show); what
// a larger window, such as one stretched absurdly, holds beyond it stays black.
void PixelStore::Resize(int32_t newWidth, int32_t newHeight) {
    constexpr int32_t kLargestSide = 4096;
    width = std::clamp(newWidth, 0, kLargestSide);
    height = std::clamp(newHeight, 0, kLargestSide);
    pixels.assign(static_cast<size_t>(Pitch()) * static_cast<size_t>(height), 0);
}

// Channels are cut to their top bits, as the blitter's colour tables do.
uint32_t PackColour(uint8_t red, uint8_t green, uint8_t blue) {
    switch (g_screen.format) {
        case ScreenFormat::Rgb565:
            return static_cast<uint32_t>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
        case ScreenFormat::Rgb555:
            return static_cast<uint32_t>((red >> 3) << 10 | (green >> 3) << 5 | blue >> 3);
        case ScreenFormat::Rgb888:
            break;
    }
    return static_cast<uint32_t>(red << 16 | green << 8 | blue);
}

void StorePixel(uint8_t* at, uint32_t pixel) {
    if (g_screen.bytesPerPixel == 2) {
        const auto value = static_cast<uint16_t>(pixel);
        std::memcpy(at, &value, 2);
    } else {
        std::memcpy(at, &pixel, 4);
    }
}

void SetScreenFormat(ScreenFormat format) {
    g_screen.format = format;
    g_screen.bytesPerPixel = format == ScreenFormat::Rgb888 ? 4 : 2;
    g_screen.sdlFormat = format == ScreenFormat::Rgb565   ? SDL_PIXELFORMAT_RGB565
                         : format == ScreenFormat::Rgb555 ? SDL_PIXELFORMAT_RGB555
                                                          : SDL_PIXELFORMAT_RGB888;
}

void LearnScreenSize() {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        g_screen.size = Point{mode.w, mode.h};
    }
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
        g_screen.workArea = Rect{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
    } else {
        g_screen.workArea = Rect{0, 0, g_screen.size.x, g_screen.size.y};
    }
}

// ---- Screen facts ----
uint32_t ScreenDepth() {
    return g_screen.format == ScreenFormat::Rgb888 ? 32 : 16;
}
// A true-colour screen reserves nothing; the numbers only matter on 256-colour screens.
uint32_t ReservedColours() {
    return 20;
}
bool PaletteHasStatics() {
    return true;
}
// The standard static colours at both ends, black between: what a palettised screen shows
// before any program set colours.
void ReadSystemPalette(PaletteEntry* entries) {
    for (int i = 0; i < 256; ++i) entries[i] = PaletteEntry{};
    StandardStaticColours(entries);
}
void FlushSystemPalette() {}
Point ScreenSize() {
    return g_screen.size;
}
Rect WorkArea() {
    return g_screen.workArea;
}

// ---- Facilities ----
// DIB sections stand for 8-bit SDL surfaces; DirectDraw for direct writes into the window's
// texture (16-bit screens only); the full-screen window is always there. WinG and resolution
// changes are not.
bool LoadLibrary(DisplayLibrary library) {
    switch (library) {
        case DisplayLibrary::DibSections:
        case DisplayLibrary::FullScreen:
            return true;
        case DisplayLibrary::DirectDraw:
            return g_screen.format != ScreenFormat::Rgb888;
        case DisplayLibrary::WinG:
        case DisplayLibrary::DisplaySettings:
            return false;
    }
    return false;
}
void FreeLibrary(DisplayLibrary) {}

// ---- Cursor ----
// SDL's cursor is drawn by the window system over the windows' pictures and never into them:
// direct writes under it survive, so no probe is made and the cursor never needs hiding.
int32_t g_cursorCount = 0;
bool HasMouse() {
    return true;
}
Point CursorPosition() {
    Point p;
    SDL_GetGlobalMouseState(&p.x, &p.y);
    return p;
}
Point CursorSize() {
    return Point{32, 32};
}
int32_t ShowCursor(bool show) {
    const bool wasShown = g_cursorCount >= 0;
    g_cursorCount += show ? 1 : -1;
    const bool isShown = g_cursorCount >= 0;
    if (wasShown != isShown) SDL_ShowCursor(isShown ? SDL_ENABLE : SDL_DISABLE);
    return g_cursorCount;
}
CursorRef WindowCursor(WindowRef) {
    return reinterpret_cast<CursorRef>(SDL_GetDefaultCursor());
}
CursorRef SetCursor(CursorRef cursor) {
    const CursorRef previous = reinterpret_cast<CursorRef>(SDL_GetCursor());
    if (cursor != nullptr) SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
    return previous;
}
WindowRef CreateProbeWindow(Point, CursorRef) {
    return nullptr;
}
void DestroyProbeWindow(WindowRef) {}
uint32_t ReadPixel(WindowRef, Point) {
    return 0;
}
void WritePixel(WindowRef, Point, uint32_t) {}
void PeekMessages() {}

// ---- Display resolution ----
// SDL changes a display's mode only for a full-screen window of its own, and the player's
// movie windows are ordinary ones; the player ignores the answer anyway. So the desktop keeps
// its mode here, and the request reports that nothing changed.
bool ChangeResolution(uint32_t, uint32_t) {
    return false;
}

}  // namespace sdl
}  // namespace tavik
