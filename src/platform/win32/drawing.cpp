// The off-screen 8-bit bitmap (a DIB section or a WinG bitmap in a memory device context) and
// drawing into a window's device context.
#include <cstring>
#include <new>

#include "platform/win32/libraries.h"
#include "platform/win32/operations.h"
#include "platform/win32/view.h"

namespace tavik::win32 {

namespace {

// An 8-bit bitmap header whose colour entries are the palette indices 0 to 255: the pixels are
// shown through the palette selected into the destination.
struct IndexBitmapInfo {
    BITMAPINFOHEADER header;
    WORD indices[256];
};

IndexBitmapInfo IndexHeader(int32_t width, int32_t height) {
    IndexBitmapInfo info;
    std::memset(&info, 0, sizeof info);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    for (WORD i = 0; i < 256; ++i) info.indices[i] = i;
    return info;
}

struct Offscreen {
    HDC dc = nullptr;
    bool wing = false;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
};

Offscreen* ToOffscreen(OffscreenRef offscreen) {
    return reinterpret_cast<Offscreen*>(offscreen);
}

}  // namespace

bool WinGBottomUp() {
    if (WinG().recommendDibFormat == nullptr) return true;
    IndexBitmapInfo info = IndexHeader(0, 0);
    WinG().recommendDibFormat(reinterpret_cast<BITMAPINFO*>(&info));
    return info.header.biHeight >= 0;
}

OffscreenRef CreateOffscreen(bool wing) {
    HDC dc = nullptr;
    if (wing) {
        if (WinG().createDc != nullptr) dc = WinG().createDc();
    } else {
        ScreenDc screen;
        dc = CreateCompatibleDC(screen.get());
    }
    if (dc == nullptr) return nullptr;
    auto* offscreen = new (std::nothrow) Offscreen{dc, wing, nullptr, nullptr};
    if (offscreen == nullptr) DeleteDC(dc);
    return reinterpret_cast<OffscreenRef>(offscreen);
}

bool CreateOffscreenBitmap(OffscreenRef ref, int32_t width, int32_t height, uint8_t** bits) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (offscreen == nullptr || offscreen->bitmap != nullptr || width <= 0 || height == 0) {
        return false;
    }
    const IndexBitmapInfo info = IndexHeader(width, height);
    const auto* header = reinterpret_cast<const BITMAPINFO*>(&info);
    void* pixels = nullptr;
    HBITMAP bitmap = nullptr;
    if (offscreen->wing) {
        if (WinG().createBitmap != nullptr)
            bitmap = WinG().createBitmap(offscreen->dc, header, &pixels);
    } else if (DibSections().createDibSection != nullptr) {
        bitmap = DibSections().createDibSection(offscreen->dc, header, DIB_PAL_COLORS, &pixels,
                                                nullptr, 0);
    }
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        return false;
    }
    offscreen->bitmap = bitmap;
    offscreen->previous = SelectObject(offscreen->dc, bitmap);
    *bits = static_cast<uint8_t*>(pixels);
    return true;
}

void DestroyOffscreenBitmap(OffscreenRef ref) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (offscreen == nullptr || offscreen->bitmap == nullptr) return;
    SelectObject(offscreen->dc, offscreen->previous);
    DeleteObject(offscreen->bitmap);
    offscreen->bitmap = nullptr;
    offscreen->previous = nullptr;
}

void DestroyOffscreen(OffscreenRef ref) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (offscreen == nullptr) return;
    DestroyOffscreenBitmap(ref);
    DeleteDC(offscreen->dc);
    delete offscreen;
}

void SetOffscreenColours(OffscreenRef ref, uint32_t first, uint32_t count, const uint8_t* table) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (offscreen == nullptr || table == nullptr || first >= 256) return;
    if (count > 256 - first) count = 256 - first;
    // The table is blue, green, red, 0 per entry: the layout of RGBQUAD.
    const auto* colours = reinterpret_cast<const RGBQUAD*>(table) + first;
    if (offscreen->wing) {
        if (WinG().setDibColorTable != nullptr)
            WinG().setDibColorTable(offscreen->dc, first, count, colours);
    } else if (DibSections().setDibColorTable != nullptr) {
        DibSections().setDibColorTable(offscreen->dc, first, count, colours);
    }
}

DrawRef GetDrawContext(WindowRef window) {
    if (const HDC picture = ViewDrawContext(ToHwnd(window)))
        return reinterpret_cast<DrawRef>(picture);
    return reinterpret_cast<DrawRef>(GetDC(ToHwnd(window)));
}

// What was drawn into the view's picture shows in the window when the drawing is done.
void ReleaseDrawContext(WindowRef window, DrawRef draw) {
    if (IsViewContext(ToHdc(draw))) {
        ViewPresent(ToHwnd(window), nullptr);
    } else if (draw != nullptr) {
        ReleaseDC(ToHwnd(window), ToHdc(draw));
    }
}

void DrawBits(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
              int32_t sw, int32_t sh, const uint8_t* bits, int32_t width, int32_t height) {
    if (draw == nullptr || bits == nullptr) return;
    const IndexBitmapInfo info = IndexHeader(width, height);
    SetStretchBltMode(ToHdc(draw), COLORONCOLOR);
    StretchDIBits(ToHdc(draw), dx, dy, dw, dh, sx, sy, sw, sh, bits,
                  reinterpret_cast<const BITMAPINFO*>(&info), DIB_PAL_COLORS, SRCCOPY);
}

void CopyOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t w, int32_t h, OffscreenRef ref,
                   int32_t sx, int32_t sy) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (draw == nullptr || offscreen == nullptr) return;
    if (offscreen->wing) {
        if (WinG().bitBlt != nullptr)
            WinG().bitBlt(ToHdc(draw), dx, dy, w, h, offscreen->dc, sx, sy);
    } else {
        BitBlt(ToHdc(draw), dx, dy, w, h, offscreen->dc, sx, sy, SRCCOPY);
    }
}

void StretchOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                      OffscreenRef ref, int32_t sx, int32_t sy, int32_t sw, int32_t sh) {
    Offscreen* offscreen = ToOffscreen(ref);
    if (draw == nullptr || offscreen == nullptr) return;
    if (offscreen->wing) {
        if (WinG().stretchBlt != nullptr)
            WinG().stretchBlt(ToHdc(draw), dx, dy, dw, dh, offscreen->dc, sx, sy, sw, sh);
    } else {
        StretchBlt(ToHdc(draw), dx, dy, dw, dh, offscreen->dc, sx, sy, sw, sh, SRCCOPY);
    }
}

void FillBlack(DrawRef draw, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (draw != nullptr) PatBlt(ToHdc(draw), x, y, w, h, BLACKNESS);
}

}  // namespace tavik::win32
