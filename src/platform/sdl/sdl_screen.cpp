// The simulated screen: its format and size, the primary surface direct writes go to, and the
// cursor.
//
// SDL offers no writable screen. The primary surface is therefore a screen-sized buffer in the
// screen format; each window shows the part of it under its client area. After a direct write
// the client area's part is copied into the window's streaming texture and presented. Drawing
// through a window (the other methods) is mirrored into the buffer too, so that the two paths
// always agree on what the screen holds, as they do on a real screen.
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

namespace {

ScreenFacts g_screen;

struct Primary {
    PixelStore store;
};
Primary* g_primary = nullptr;

// Copies the part of `from` at (fromX, fromY) over `to` at (toX, toY), width x height, clipped
// to both stores.
void CopyPixels(PixelStore& to, int32_t toX, int32_t toY, const PixelStore& from, int32_t fromX,
                int32_t fromY, int32_t width, int32_t height) {
    const int32_t bpp = static_cast<int32_t>(Screen().bytesPerPixel);
    auto clip = [&](int32_t& a, int32_t& b, int32_t& size, int32_t aLimit, int32_t bLimit) {
        if (a < 0) size += a, b -= a, a = 0;
        if (b < 0) size += b, a -= b, b = 0;
        size = std::min({size, aLimit - a, bLimit - b});
    };
    clip(toX, fromX, width, to.width, from.width);
    clip(toY, fromY, height, to.height, from.height);
    if (width <= 0 || height <= 0) return;
    for (int32_t row = 0; row < height; ++row) {
        std::memcpy(
            to.pixels.data() + static_cast<size_t>(toY + row) * to.Pitch() + toX * bpp,
            from.pixels.data() + static_cast<size_t>(fromY + row) * from.Pitch() + fromX * bpp,
            static_cast<size_t>(width * bpp));
    }
}

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

void MirrorToPrimary(SdlWindow* window, const Rect& client) {
    if (g_primary == nullptr || window == nullptr || window->fullScreen) return;
    CopyPixels(g_primary->store, window->frame.left + client.left, window->frame.top + client.top,
               window->store, client.left, client.top, client.right - client.left,
               client.bottom - client.top);
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
    static const uint8_t kLow[10][3] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static const uint8_t kHigh[10][3] = {
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 256; ++i) entries[i] = PaletteEntry{};
    for (int i = 0; i < 10; ++i) {
        entries[i] = {kLow[i][0], kLow[i][1], kLow[i][2], 0};
        entries[246 + i] = {kHigh[i][0], kHigh[i][1], kHigh[i][2], 0};
    }
}
void FlushSystemPalette() {}
Point ScreenSize() {
    return g_screen.size;
}
Rect WorkArea() {
    return g_screen.workArea;
}

// ---- Facilities ----
// DIB sections stand for 8-bit SDL surfaces; DirectDraw for the simulated primary (16-bit
// screens only); the full-screen window is always there. WinG and resolution changes are not.
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

// ---- Primary surface ----
PrimaryRef OpenPrimary(WindowRef) {
    if (g_primary != nullptr) return nullptr;  // one at a time, like the one screen
    auto* primary = new (std::nothrow) Primary;
    if (primary == nullptr) return nullptr;
    primary->store.Resize(g_screen.size.x, g_screen.size.y);
    if (primary->store.pixels.empty()) {
        delete primary;
        return nullptr;
    }
    g_primary = primary;
    for (auto& w : Windows()) {
        if (!w->fullScreen) MirrorToPrimary(w.get(), Rect{0, 0, w->store.width, w->store.height});
    }
    return reinterpret_cast<PrimaryRef>(primary);
}
bool PrimaryFormat(PrimaryRef, PixelFormat* format) {
    format->bitsPerPixel = g_screen.bytesPerPixel * 8;
    format->redMask = g_screen.format == ScreenFormat::Rgb555 ? 0x7C00 : 0xF800;
    format->greenMask = g_screen.format == ScreenFormat::Rgb555 ? 0x03E0 : 0x07E0;
    format->blueMask = 0x001F;
    if (g_screen.format == ScreenFormat::Rgb888) {
        format->redMask = 0xFF0000, format->greenMask = 0xFF00, format->blueMask = 0xFF;
    }
    return true;
}
LockResult LockPrimary(PrimaryRef ref, LockedSurface* locked) {
    auto* primary = reinterpret_cast<Primary*>(ref);
    if (primary == nullptr || primary != g_primary) return LockResult::Failed;
    locked->bits = primary->store.pixels.data();
    locked->pitch = primary->store.Pitch();
    locked->bitsPerPixel = g_screen.bytesPerPixel * 8;
    return LockResult::Locked;
}
bool RestorePrimary(PrimaryRef) {
    return true;
}
// What was written shows in every window over it.
void UnlockPrimary(PrimaryRef ref, uint8_t*) {
    auto* primary = reinterpret_cast<Primary*>(ref);
    if (primary == nullptr || primary != g_primary) return;
    for (auto& w : Windows()) {
        if (w->fullScreen || !w->visible || w->minimised) continue;
        CopyPixels(w->store, 0, 0, primary->store, w->frame.left, w->frame.top, w->store.width,
                   w->store.height);
        Present(w.get());
    }
}
void ClosePrimary(PrimaryRef ref) {
    auto* primary = reinterpret_cast<Primary*>(ref);
    if (primary == nullptr || primary != g_primary) return;
    delete primary;
    g_primary = nullptr;
}

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

// ---- Display resolution: SDL leaves the desktop's mode alone ----
bool ChangeResolution(uint32_t, uint32_t) {
    return false;
}

}  // namespace sdl
}  // namespace tavik
