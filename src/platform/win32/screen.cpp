// Screen facts and logical palettes.
#include <vector>

#include "platform/win32/operations.h"

namespace tavik::win32 {

namespace {

constexpr int kNoStatics = 2;  // GetSystemPaletteUse: only black and white stay the system's

// A logical palette of `count` entries (LOGPALETTE has room for one; the rest follow it).
HPALETTE MakePalette(const PaletteEntry* entries, uint32_t count) {
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(block.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(count);
    for (uint32_t i = 0; i < count; ++i) {
        logical->palPalEntry[i] =
            PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, entries[i].flags};
    }
    return CreatePalette(logical);
}

}  // namespace

uint32_t ScreenDepth() {
    ScreenDc screen;
    return static_cast<uint32_t>(GetDeviceCaps(screen.get(), BITSPIXEL) *
                                 GetDeviceCaps(screen.get(), PLANES));
}

uint32_t ReservedColours() {
    ScreenDc screen;
    return static_cast<uint32_t>(GetDeviceCaps(screen.get(), NUMRESERVED));
}

bool PaletteHasStatics() {
    ScreenDc screen;
    return GetSystemPaletteUse(screen.get()) != kNoStatics;
}

void ReadSystemPalette(PaletteEntry* entries) {
    PALETTEENTRY system[256] = {};
    ScreenDc screen;
    GetSystemPaletteEntries(screen.get(), 0, 256, system);
    for (int i = 0; i < 256; ++i) {
        entries[i] = PaletteEntry{system[i].peRed, system[i].peGreen, system[i].peBlue, 0};
    }
}

void FlushSystemPalette() {
    PaletteEntry black[256];
    for (PaletteEntry& entry : black) entry = PaletteEntry{0, 0, 0, kPaletteNoCollapse};
    const HPALETTE palette = MakePalette(black, 256);
    if (palette == nullptr) return;
    ScreenDc screen;
    const HPALETTE previous = SelectPalette(screen.get(), palette, TRUE);
    RealizePalette(screen.get());
    if (previous != nullptr) SelectPalette(screen.get(), previous, TRUE);
    DeleteObject(palette);
}

Point ScreenSize() {
    return Point{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

Rect WorkArea() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) {
        const Point screen = ScreenSize();
        return Rect{0, 0, screen.x, screen.y};
    }
    return Rect{area.left, area.top, area.right, area.bottom};
}

PaletteRef CreateLogicalPalette(const PaletteEntry* entries, uint32_t count) {
    if (entries == nullptr || count == 0 || count > 256) return nullptr;
    return reinterpret_cast<PaletteRef>(MakePalette(entries, count));
}

void DeleteLogicalPalette(PaletteRef palette) {
    if (palette != nullptr) DeleteObject(ToPalette(palette));
}

PaletteRef SelectForegroundPalette(DrawRef draw, PaletteRef palette) {
    if (draw == nullptr || palette == nullptr) return nullptr;
    return reinterpret_cast<PaletteRef>(SelectPalette(ToHdc(draw), ToPalette(palette), FALSE));
}

uint32_t RealizeSelectedPalette(DrawRef draw) {
    if (draw == nullptr) return 0;
    const UINT changed = RealizePalette(ToHdc(draw));
    return changed == GDI_ERROR ? 0 : changed;
}

}  // namespace tavik::win32
