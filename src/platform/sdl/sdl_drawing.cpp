// Drawing into a window's pixels: 8-bit pictures converted through the selected palette (the
// standard method) or through the colours of an 8-bit SDL surface (the bitmap method), black
// fills, and the logical palettes the conversions use.
#include <algorithm>
#include <new>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

namespace {

SdlDraw* AsDraw(DrawRef ref) {
    return reinterpret_cast<SdlDraw*>(ref);
}
SdlOffscreen* AsOffscreen(OffscreenRef ref) {
    return reinterpret_cast<SdlOffscreen*>(ref);
}

// The part of (x, y, width, height) inside the window; false when nothing is.
bool ClipToStore(const SdlWindow* w, int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
    const int64_t left = std::max<int64_t>(x, 0);
    const int64_t top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t{x} + width, w->store.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y} + height, w->store.height);
    if (right <= left || bottom <= top) return false;
    x = static_cast<int32_t>(left);
    y = static_cast<int32_t>(top);
    width = static_cast<int32_t>(right - left);
    height = static_cast<int32_t>(bottom - top);
    return true;
}

// Marks a drawn rectangle: copied into the window's texture now, so that direct writes made
// after it land on top of it; shown when the context is released.
void Drew(SdlDraw* d, int32_t x, int32_t y, int32_t width, int32_t height) {
    d->drew = true;
    UploadToTexture(d->window, Rect{x, y, x + width, y + height});
}

}  // namespace

// ---- Off-screen 8-bit bitmaps ----
bool WinGBottomUp() {
    return false;
}
OffscreenRef CreateOffscreen(bool wing) {
    if (wing) return nullptr;
    return reinterpret_cast<OffscreenRef>(new (std::nothrow) SdlOffscreen);
}
// Only top-down bitmaps (negative heights) are made: the bottom-up ones belong to WinG, which
// this backend never offers.
bool CreateOffscreenBitmap(OffscreenRef ref, int32_t width, int32_t height, uint8_t** bits) {
    SdlOffscreen* o = AsOffscreen(ref);
    if (o == nullptr || o->bitmap != nullptr || width <= 0 || height >= 0 || height == INT32_MIN) {
        return false;
    }
    o->bitmap = SDL_CreateRGBSurfaceWithFormat(0, width, -height, 8, SDL_PIXELFORMAT_INDEX8);
    if (o->bitmap == nullptr) return false;
    // The caller writes rows `width` bytes apart; SDL pads rows to 4 bytes, which a width that
    // is a multiple of 4 (the player's pitch is one of 8) does not need.
    if (o->bitmap->pitch != width) {
        SDL_FreeSurface(o->bitmap);
        o->bitmap = nullptr;
        return false;
    }
    SDL_SetSurfaceBlendMode(o->bitmap, SDL_BLENDMODE_NONE);
    *bits = static_cast<uint8_t*>(o->bitmap->pixels);
    return true;
}
void DestroyOffscreenBitmap(OffscreenRef ref) {
    SdlOffscreen* o = AsOffscreen(ref);
    if (o == nullptr || o->bitmap == nullptr) return;
    SDL_FreeSurface(o->bitmap);
    o->bitmap = nullptr;
}
void DestroyOffscreen(OffscreenRef ref) {
    DestroyOffscreenBitmap(ref);
    delete AsOffscreen(ref);
}
void SetOffscreenColours(OffscreenRef ref, uint32_t first, uint32_t count, const uint8_t* table) {
    SdlOffscreen* o = AsOffscreen(ref);
    if (o == nullptr || o->bitmap == nullptr || table == nullptr || first >= 256) return;
    count = std::min(count, 256 - first);
    SDL_Color colours[256];
    for (uint32_t i = 0; i < count; ++i) {
        colours[i] = SDL_Color{table[4 * i + 2], table[4 * i + 1], table[4 * i], 255};
    }
    SDL_SetPaletteColors(o->bitmap->format->palette, colours, static_cast<int>(first),
                         static_cast<int>(count));
}

// ---- Drawing contexts ----
DrawRef GetDrawContext(WindowRef window) {
    SdlWindow* w = FindWindow(window);
    if (w == nullptr) return nullptr;
    auto* d = new (std::nothrow) SdlDraw;
    if (d != nullptr) d->window = w;
    return reinterpret_cast<DrawRef>(d);
}
void ReleaseDrawContext(WindowRef, DrawRef draw) {
    SdlDraw* d = AsDraw(draw);
    if (d == nullptr) return;
    if (d->drew && FindWindow(RefOf(d->window)) != nullptr) Present(d->window);
    delete d;
}

// An 8-bit picture as the conversions read it: rows `width` bytes apart, `rows` of them,
// top-down unless `bottomUp`, and the screen pixel of each of its 256 values.
struct IndexedPicture {
    const uint8_t* bits;
    int32_t width;
    int64_t rows;
    bool bottomUp;
    uint32_t colours[256];
};

// Nearest-pixel stretching, as colour-on-colour stretching does: each destination pixel takes
// the source pixel its place falls on. (sx, top) is the source rectangle's top-left corner,
// counted from the picture's top.
void StretchIndexed(SdlDraw* d, const IndexedPicture& picture, int32_t dx, int32_t dy, int32_t dw,
                    int32_t dh, int64_t sx, int64_t top, int32_t sw, int32_t sh) {
    int32_t x = dx, y = dy, w = dw, h = dh;
    if (!ClipToStore(d->window, x, y, w, h)) return;
    const uint32_t bpp = Screen().bytesPerPixel;
    for (int32_t row = y; row < y + h; ++row) {
        const int64_t fromTop = top + (int64_t{row - dy} * sh) / dh;
        if (fromTop < 0 || fromTop >= picture.rows) continue;
        const int64_t memoryRow = picture.bottomUp ? picture.rows - 1 - fromTop : fromTop;
        const uint8_t* source = picture.bits + memoryRow * picture.width;
        uint8_t* out = d->window->store.Row(row) + static_cast<size_t>(x) * bpp;
        for (int32_t column = x; column < x + w; ++column, out += bpp) {
            const int64_t from = sx + (int64_t{column - dx} * sw) / dw;
            if (from < 0 || from >= picture.width) continue;
            StorePixel(out, picture.colours[source[from]]);
        }
    }
    Drew(d, x, y, w, h);
}

void DrawBits(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
              int32_t sw, int32_t sh, const uint8_t* bits, int32_t width, int32_t height) {
    SdlDraw* d = AsDraw(draw);
    if (d == nullptr || bits == nullptr || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || width <= 0 ||
        height == 0) {
        return;
    }
    IndexedPicture picture{bits, width, height < 0 ? -int64_t{height} : height, height > 0, {}};
    if (d->selected != nullptr) {
        const auto& entries = d->selected->entries;
        for (size_t i = 0; i < entries.size() && i < 256; ++i) {
            picture.colours[i] = PackColour(entries[i].red, entries[i].green, entries[i].blue);
        }
    }
    // sy counts from the picture's bottom row.
    StretchIndexed(d, picture, dx, dy, dw, dh, sx, picture.rows - sy - sh, sw, sh);
}

void CopyOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t w, int32_t h,
                   OffscreenRef offscreen, int32_t sx, int32_t sy) {
    StretchOffscreen(draw, dx, dy, w, h, offscreen, sx, sy, w, h);
}

// The bitmap's own colours convert it.
void StretchOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                      OffscreenRef offscreen, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    SdlDraw* d = AsDraw(draw);
    SdlOffscreen* o = AsOffscreen(offscreen);
    if (d == nullptr || o == nullptr || o->bitmap == nullptr || dw <= 0 || dh <= 0 || sw <= 0 ||
        sh <= 0) {
        return;
    }
    const SDL_Surface* bitmap = o->bitmap;
    IndexedPicture picture{
        static_cast<const uint8_t*>(bitmap->pixels), bitmap->pitch, bitmap->h, false, {}};
    const SDL_Palette* palette = bitmap->format->palette;
    for (int i = 0; palette != nullptr && i < palette->ncolors && i < 256; ++i) {
        const SDL_Color& c = palette->colors[i];
        picture.colours[i] = PackColour(c.r, c.g, c.b);
    }
    StretchIndexed(d, picture, dx, dy, dw, dh, sx, sy, sw, sh);
}

void FillBlack(DrawRef draw, int32_t x, int32_t y, int32_t w, int32_t h) {
    SdlDraw* d = AsDraw(draw);
    if (d == nullptr || !ClipToStore(d->window, x, y, w, h)) return;
    const uint32_t bpp = Screen().bytesPerPixel;
    for (int32_t row = y; row < y + h; ++row) {
        std::fill_n(d->window->store.Row(row) + static_cast<size_t>(x) * bpp,
                    static_cast<size_t>(w) * bpp, uint8_t{0});
    }
    Drew(d, x, y, w, h);
}

// ---- Palettes: on a true-colour screen they only drive the conversions ----
PaletteRef CreatePalette(const PaletteEntry* entries, uint32_t count) {
    auto* palette = new (std::nothrow) SdlPalette;
    if (palette == nullptr) return nullptr;
    if (entries != nullptr) palette->entries.assign(entries, entries + std::min(count, 256u));
    return reinterpret_cast<PaletteRef>(palette);
}
void DeletePalette(PaletteRef palette) {
    delete reinterpret_cast<SdlPalette*>(palette);
}
PaletteRef SelectPalette(DrawRef draw, PaletteRef palette) {
    SdlDraw* d = AsDraw(draw);
    if (d == nullptr) return nullptr;
    SdlPalette* previous = d->selected;
    d->selected = reinterpret_cast<SdlPalette*>(palette);
    return reinterpret_cast<PaletteRef>(previous);
}
uint32_t RealizePalette(DrawRef) {
    return 0;
}

}  // namespace sdl
}  // namespace tavik
