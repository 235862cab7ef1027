// Palettes: the buffer's colour table, the identity palette and its realisation.
//
// On a palettised screen the free entries carry the movie's colours, flagged not to collapse,
// so pixel value i reaches hardware entry i; the static entries at both ends stay the
// system's. A movie colour equal to a top static colour is nudged one step in red, so that
// the system never maps it onto the static entry.
#include <cstring>
#include <utility>

#include "display/blitter_link.h"
#include "display/display_state.h"

namespace tavik {

namespace {

bool InFreeRange(const DisplayBuffer* b, uint32_t i) {
    return i >= b->FirstFree && i < b->FreeEnd;
}

void FillLogicalPalette(const DisplayBuffer* b, PaletteEntry* entries, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        entries[i].red = b->ColourTable[4 * i + 2];
        entries[i].green = b->ColourTable[4 * i + 1];
        entries[i].blue = b->ColourTable[4 * i];
        entries[i].flags = InFreeRange(b, i) ? kPaletteNoCollapse : 0;
    }
}

void LoadBitmapColours(const DisplayBuffer* b) {
    if (b->Method == MethodDibSection && b->MemoryDC != nullptr) {
        Platform().pictures->SetOffscreenColours(b->MemoryDC, 0, b->PaletteSize, b->ColourTable);
    }
}

}  // namespace

void BufferSetPalette(DisplayBuffer* b, const uint8_t* palette, uint32_t layout) {
    if (b == nullptr) return;
    b->Shown = 1;
    if (b->PaletteSize < 256 || palette == nullptr) return;

    PaletteEntry logical[256] = {};
    if (b->FirstFree != 0) {
        for (uint32_t i = 0; i < 256; ++i) {
            if (InFreeRange(b, i)) continue;
            logical[i] = {b->ColourTable[4 * i + 2], b->ColourTable[4 * i + 1],
                          b->ColourTable[4 * i], 0};
        }
    }
    uint32_t red = 0, green = 1, blue = 2, size = 3;
    if (layout & 4) {
        size = 4;
        if (layout & 8) red = 1, green = 2, blue = 3;
    }
    if (layout & 2) std::swap(red, blue);
    if (layout & 1) red *= 2, green *= 2, blue *= 2, size *= 2;

    for (uint32_t i = b->FirstFree; i < b->FreeEnd; ++i) {
        const uint8_t* entry = palette + i * size;
        uint8_t r = entry[red];
        const uint8_t g = entry[green], bl = entry[blue];
        for (uint32_t j = b->FreeEnd; j < 256; ++j) {
            const uint8_t* s = b->ColourTable + 4 * j;
            if (s[2] == r && s[1] == g && s[0] == bl) r = (r & 3) == 3 ? r - 1 : r + 1;
        }
        b->ColourTable[4 * i] = bl;
        b->ColourTable[4 * i + 1] = g;
        b->ColourTable[4 * i + 2] = r;
        logical[i] = {r, g, bl, kPaletteNoCollapse};
    }

    if (b->FullScreen) {
        SendFullScreenPalette(b);
    } else if (const PictureOps* pictures = Platform().pictures) {
        if (b->PaletteHandle != nullptr) pictures->DeletePalette(b->PaletteHandle);
        b->PaletteHandle = pictures->CreatePalette(logical, 256);
        LoadBitmapColours(b);
    }
    if (b->ScreenColours > 256) b->RedrawAll = 1;
    if (b->Blitter != nullptr) SetBlitterPalette(b->Blitter, b->ColourTable, b->ColourTableLayout);
}

void BufferCreatePalette(DisplayBuffer* b) {
    if (Platform().pictures == nullptr) return;  // a screen without palettes
    PaletteEntry logical[256] = {};
    const uint32_t count = b->PaletteSize <= 256 ? b->PaletteSize : 256;
    FillLogicalPalette(b, logical, count);
    b->PaletteHandle = Platform().pictures->CreatePalette(logical, count);
    LoadBitmapColours(b);
}

uint32_t BufferRealizePalette(DisplayBuffer* b) {
    const PlatformOps& p = Platform();
    if (b == nullptr || b->FullScreen || p.pictures == nullptr) return 0;
    if (b->PaletteHandle == nullptr) BufferCreatePalette(b);
    const DrawRef draw = p.windows->GetDrawContext(b->Window);
    const PaletteRef previous = p.pictures->SelectPalette(draw, b->PaletteHandle);
    const uint32_t changed = p.pictures->RealizePalette(draw);
    if (b->Shown) p.windows->Invalidate(b->Window);
    p.pictures->SelectPalette(draw, previous);
    p.windows->ReleaseDrawContext(b->Window, draw);
    return changed;
}

void ReadSystemPalette(uint8_t* rgb) {
    PaletteEntry entries[256];
    Platform().screen->ReadSystemPalette(entries);
    for (uint32_t i = 0; i < 256; ++i) {
        rgb[3 * i] = entries[i].red;
        rgb[3 * i + 1] = entries[i].green;
        rgb[3 * i + 2] = entries[i].blue;
    }
}

}  // namespace tavik
