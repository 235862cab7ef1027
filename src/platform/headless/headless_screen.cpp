// The headless backend's screen model: one in-memory screen with its facilities, off-screen
// pictures and palettes, a lockable primary surface, a cursor and a full-screen window.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "platform/headless/headless_ops.h"

namespace tavik {
namespace headless {

namespace {

Screen* g_screen = nullptr;

uint8_t* PixelAt(Point p) {
    Screen& s = S();
    if (p.x < 0 || p.y < 0 || p.x >= s.config.screen.x || p.y >= s.config.screen.y ||
        s.surface.empty()) {
        return nullptr;
    }
    return s.surface.data() + static_cast<size_t>(p.y) * static_cast<size_t>(s.Pitch()) +
           static_cast<size_t>(p.x) * s.BytesPerPixel();
}

uint8_t g_underCursor = 0;

}  // namespace

// ---- Screen facts ----
uint32_t ScreenDepth() {
    return S().config.depth;
}
uint32_t ReservedColours() {
    return S().config.reservedColours;
}
bool PaletteHasStatics() {
    return S().config.staticColours;
}
void ReadSystemPalette(PaletteEntry* entries) {
    std::copy(S().config.systemPalette, S().config.systemPalette + 256, entries);
}
void FlushSystemPalette() {
    Log("flush palette");
}
Point ScreenSize() {
    return S().config.screen;
}
Rect WorkArea() {
    return S().config.workArea;
}

// ---- Facilities ----
bool LoadLibrary(DisplayLibrary library) {
    const Config& c = S().config;
    bool present = false;
    switch (library) {
        case DisplayLibrary::DibSections:
            present = c.dibSections;
            break;
        case DisplayLibrary::WinG:
            present = c.wing;
            break;
        case DisplayLibrary::DirectDraw:
            present = c.directDraw;
            break;
        case DisplayLibrary::FullScreen:
            present = c.fullScreen;
            break;
        case DisplayLibrary::DisplaySettings:
            present = c.displaySettings;
            break;
    }
    Log(std::string("load library ") + std::to_string(static_cast<int>(library)));
    if (present) S().loaded.insert(library);
    return present;
}
void FreeLibrary(DisplayLibrary library) {
    S().loaded.erase(library);
    Log(std::string("free library ") + std::to_string(static_cast<int>(library)));
}

// ---- Off-screen bitmap ----
bool WinGBottomUp() {
    return S().config.wingBottomUp;
}
OffscreenRef CreateOffscreen(bool wing) {
    if (S().config.failOffscreen) return nullptr;
    ++S().liveOffscreens;
    auto* o = new Offscreen;
    o->wing = wing;
    return As<PlatformOffscreenTag>(o);
}
bool CreateOffscreenBitmap(OffscreenRef ref, int32_t width, int32_t height, uint8_t** bits) {
    if (S().config.failBitmap || width <= 0 || height == 0) return false;
    auto* o = As<Offscreen>(ref);
    o->bitmap.assign(static_cast<size_t>(width) * static_cast<size_t>(std::abs(height)), 0);
    o->hasBitmap = true;
    *bits = o->bitmap.data();
    return true;
}
void DestroyOffscreenBitmap(OffscreenRef ref) {
    auto* o = As<Offscreen>(ref);
    o->bitmap.clear();
    o->bitmap.shrink_to_fit();
    o->hasBitmap = false;
}
void DestroyOffscreen(OffscreenRef ref) {
    --S().liveOffscreens;
    delete As<Offscreen>(ref);
}
void SetOffscreenColours(OffscreenRef, uint32_t, uint32_t, const uint8_t*) {
    ++S().offscreenColourLoads;
}

// ---- Drawing ----
DrawRef GetDrawContext(WindowRef window) {
    ++S().liveDrawContexts;
    return As<PlatformDrawTag>(new Draw{As<Window>(window)});
}
void ReleaseDrawContext(WindowRef, DrawRef draw) {
    --S().liveDrawContexts;
    delete As<Draw>(draw);
}
void DrawBits(DrawRef, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
              int32_t sw, int32_t sh, const uint8_t*, int32_t width, int32_t height) {
    RecordDraw({DrawKind::Bits, dx, dy, dw, dh, sx, sy, sw, sh, width, height});
}
void CopyOffscreen(DrawRef, int32_t dx, int32_t dy, int32_t w, int32_t h, OffscreenRef, int32_t sx,
                   int32_t sy) {
    RecordDraw({DrawKind::Copy, dx, dy, w, h, sx, sy, w, h, 0, 0});
}
void StretchOffscreen(DrawRef, int32_t dx, int32_t dy, int32_t dw, int32_t dh, OffscreenRef,
                      int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    RecordDraw({DrawKind::Stretch, dx, dy, dw, dh, sx, sy, sw, sh, 0, 0});
}
void FillBlack(DrawRef, int32_t x, int32_t y, int32_t w, int32_t h) {
    RecordDraw({DrawKind::Black, x, y, w, h, 0, 0, 0, 0, 0, 0});
}

// ---- Palettes ----
PaletteRef CreatePalette(const PaletteEntry* entries, uint32_t count) {
    RecordPalette(entries, count);
    ++S().livePalettes;
    return As<PlatformPaletteTag>(new Palette{{entries, entries + count}});
}
void DeletePalette(PaletteRef palette) {
    --S().livePalettes;
    delete As<Palette>(palette);
}
PaletteRef SelectPalette(DrawRef draw, PaletteRef palette) {
    auto* d = As<Draw>(draw);
    const PaletteRef previous = d->selected;
    d->selected = palette;
    return previous;
}
// Realising puts the no-collapse entries into the system palette of a palettised screen.
uint32_t RealizePalette(DrawRef draw) {
    auto* palette = As<Palette>(As<Draw>(draw)->selected);
    if (palette == nullptr || S().config.depth != 8) return 0;
    uint32_t changed = 0;
    for (size_t i = 0; i < palette->entries.size() && i < 256; ++i) {
        const PaletteEntry& e = palette->entries[i];
        PaletteEntry& s = S().config.systemPalette[i];
        if (!(e.flags & kPaletteNoCollapse)) continue;
        if (s.red != e.red || s.green != e.green || s.blue != e.blue) ++changed;
        s = {e.red, e.green, e.blue, 0};
    }
    return changed;
}

// ---- Primary surface ----
PrimaryRef OpenPrimary(WindowRef) {
    Screen& s = S();
    s.primaryOpen = true;
    s.surface.assign(static_cast<size_t>(s.Pitch()) * static_cast<size_t>(s.config.screen.y), 0);
    return reinterpret_cast<PrimaryRef>(&s.surface);
}
bool PrimaryFormat(PrimaryRef, PixelFormat* format) {
    const Config& c = S().config;
    if (c.primaryFormatFails) return false;
    format->bitsPerPixel = c.depth;
    format->redMask = c.depth == 8 ? 0 : c.redMask;
    format->greenMask = c.depth == 8 ? 0 : c.greenMask;
    format->blueMask = c.depth == 8 ? 0 : c.blueMask;
    return true;
}
LockResult LockPrimary(PrimaryRef, LockedSurface* locked) {
    Screen& s = S();
    if (s.config.cannotLock) return LockResult::CannotLock;
    if (s.config.failedLocks > 0) {
        --s.config.failedLocks;
        return LockResult::Failed;
    }
    if (s.config.lostLocks > 0) {
        --s.config.lostLocks;
        return LockResult::Lost;
    }
    ++s.locks;
    const Rect& reach = s.config.primaryReach;
    locked->bits = s.surface.data() + int64_t{reach.top} * s.Pitch() +
                   int64_t{reach.left} * static_cast<int32_t>(s.BytesPerPixel());
    locked->pitch = s.Pitch();
    locked->bitsPerPixel = s.config.depth;
    locked->reach = reach;
    return LockResult::Locked;
}
bool RestorePrimary(PrimaryRef) {
    return !S().config.restoreFails;
}
void UnlockPrimary(PrimaryRef, uint8_t*) {
    ++S().unlocks;
}
void ClosePrimary(PrimaryRef) {
    S().primaryOpen = false;
}

// ---- Cursor ----
bool HasMouse() {
    return S().config.hasMouse;
}
Point CursorPosition() {
    return S().config.cursor;
}
Point CursorSize() {
    return S().config.cursorSize;
}

int32_t ShowCursor(bool show) {
    Screen& s = S();
    const bool wasShown = s.cursorCount >= 0;
    s.cursorCount += show ? 1 : -1;
    const bool isShown = s.cursorCount >= 0;
    if (s.config.softwareCursor && wasShown != isShown) {
        if (uint8_t* pixel = PixelAt(s.config.cursor)) {
            if (isShown) {
                g_underCursor = *pixel;  // saved when drawn
            } else {
                *pixel = g_underCursor;  // put back when hidden
            }
        }
    }
    return s.cursorCount;
}
CursorRef WindowCursor(WindowRef) {
    return reinterpret_cast<CursorRef>(&g_underCursor);
}
CursorRef SetCursor(CursorRef cursor) {
    const CursorRef previous = S().currentCursor;
    S().currentCursor = cursor;
    return previous;
}
WindowRef CreateProbeWindow(Point at, CursorRef) {
    auto w = std::make_unique<Window>();
    w->className = "MouseTypeWind";
    w->isProbe = true;
    w->visible = true;
    w->frame = Rect{at.x - 16, at.y - 16, at.x + 16, at.y + 16};
    Window* raw = w.get();
    S().windows[raw] = std::move(w);
    Log("probe window");
    return As<PlatformWindowTag>(raw);
}
void DestroyProbeWindow(WindowRef probe) {
    S().windows.erase(As<Window>(probe));
}
uint32_t ReadPixel(WindowRef window, Point point) {
    const uint8_t* pixel = PixelAt(ClientToScreen(window, point));
    if (pixel == nullptr) return 0;
    return S().BytesPerPixel() == 1 ? *pixel : static_cast<uint32_t>(pixel[0] | pixel[1] << 8);
}
void WritePixel(WindowRef window, Point point, uint32_t colour) {
    if (uint8_t* pixel = PixelAt(ClientToScreen(window, point))) {
        pixel[0] = static_cast<uint8_t>(colour);
        if (S().BytesPerPixel() > 1) pixel[1] = static_cast<uint8_t>(colour >> 8);
    }
}
void PeekMessages() {}

// ---- Full screen ----
WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner) {
    if (S().config.failFullScreenWindow) return nullptr;
    auto w = std::make_unique<Window>();
    w->className = "DisplayDibWindow";
    w->isFullScreen = true;
    w->parent = S().Find(player);
    w->fullScreenHandler = handler;
    w->owner = owner;
    Window* raw = w.get();
    S().windows[raw] = std::move(w);
    return As<PlatformWindowTag>(raw);
}
intptr_t SendFullScreenData(WindowRef, uint32_t id, uint32_t count, const void* data) {
    RecordFullScreenRequest(id, count, data);
    return 1;
}
void CloseFullScreenWindow(WindowRef fullScreen) {
    Log("close full screen");
    S().windows.erase(As<Window>(fullScreen));
}
void ShowFullScreenTopmost(WindowRef ref) {
    if (Window* w = S().Find(ref)) {
        w->visible = true;
        w->frame = Rect{0, 0, S().config.screen.x, S().config.screen.y};
    }
}
uint8_t* FullScreenMemory() {
    return S().fullScreenMemory;
}

// ---- Resolution ----
bool ChangeResolution(uint32_t width, uint32_t height) {
    RecordResolutionChange(width, height);
    return !S().config.resolutionFails;
}

Screen& TheScreen() {
    if (g_screen == nullptr) Reset();
    return *g_screen;
}

void Reset(const Config& config) {
    static Screen screen;
    screen = Screen{};
    screen.config = config;
    bool blank = true;
    for (const PaletteEntry& e : config.systemPalette)
        blank = blank && e.red == 0 && e.green == 0 && e.blue == 0;
    if (blank) StandardStaticColours(screen.config.systemPalette);
    g_screen = &screen;
}

}  // namespace headless
}  // namespace tavik
