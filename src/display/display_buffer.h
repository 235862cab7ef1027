// The display buffer: the player's 8-bit output surface and everything that brings its pixels
// onto the screen (display methods, screen blits with the rectangle batch, palettes,
// full-screen output). Written over the platform table of platform/platform.h.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct TavikBlitter;

namespace tavik {

// Display methods (the number stored in the buffer).
inline constexpr uint32_t MethodAutomatic = 0;
inline constexpr uint32_t MethodFullScreen240 = 1;
inline constexpr uint32_t MethodFullScreen200 = 2;
inline constexpr uint32_t MethodFullScreenDirect = 3;
inline constexpr uint32_t MethodStandardDib = 4;
inline constexpr uint32_t MethodDibSection = 5;

// Flags riding on the method word of BufferOpen.
inline constexpr uint32_t NoDirectDraw = 0x80;
inline constexpr uint32_t Smoothing = 0x100;
inline constexpr uint32_t Interlaced = 0x200;
inline constexpr uint32_t kMethodFlags = NoDirectDraw | Smoothing | Interlaced;

// What BufferBlit returns when it showed the whole buffer.
inline constexpr uint32_t kBlitWholeBuffer = 0x100;

// Rectangle batch states.
inline constexpr uint32_t RectsImmediate = 0;
inline constexpr uint32_t RectsReplaying = 1;
inline constexpr uint32_t RectsCollecting = 2;

// One collected rectangle: window x, y and the buffer rectangle x, y, width, height.
struct RectEntry {
    uint32_t windowX, windowY, x, y, width, height;
};

struct DisplayBuffer {
    uint32_t BottomUp;
    uint32_t RectMode;  // for TavikNextRect: 0 merged, 1 bounding, 2 none
    uint32_t Method;
    uint32_t FullScreen;
    uint32_t Width, Height;
    uint32_t Pitch;
    uint32_t Stretched;
    uint32_t DestWidth, DestHeight;
    uint32_t ScreenColours;
    uint32_t PaletteSize;
    uint32_t FreeCount;
    uint32_t FirstFree;
    uint32_t FreeEnd;
    uint8_t ColourTable[256 * 4];  // blue, green, red, 0
    uint32_t ColourTableLayout;    // always 6: four bytes per entry, blue first
    uint32_t RedrawAll;
    uint32_t Shown;
    uint8_t* Bits;
    uint8_t* ScreenSave;
    bool HasBitmap;  // the off-screen bitmap of method 5 exists
    PaletteRef PaletteHandle;
    OffscreenRef MemoryDC;
    uint32_t Active;
    WindowRef Window;
    WindowRef FullScreenWindow;
    PrimaryRef Primary;
    uint32_t BlitterFlags;
    TavikBlitter* Blitter;
    uint32_t HideCursor;
    uint32_t AreaKnown;
    uint32_t InForeground;
    Rect Area;
    uint32_t RectState;
    RectEntry* RectList;
    uint32_t RectNext;  // index into RectList
    uint32_t RectCapacity;
    uint32_t RectCount;
    DrawRef RectDC;
};

// ---- Opening (buffer_open.cpp) ------------------------------------------------------------
// A new buffer for `window`, or null. destWidth/destHeight 0 mean the source size.
DisplayBuffer* BufferOpen(WindowRef window, uint32_t methodWord, uint32_t width, uint32_t height,
                          uint32_t destWidth, uint32_t destHeight);
// Fills Width bytes of each of the Height rows with `colour`.
void BufferClear(DisplayBuffer* buffer, uint8_t colour);

// ---- Blitting (buffer_blit.cpp) -------------------------------------------------------------
// Shows (x, y, width, height) of the buffer with its top-left at (windowX, windowY) of the
// client area; draw null takes the window's own context. kBlitWholeBuffer when the whole
// buffer was shown.
uint32_t BufferBlit(DisplayBuffer* buffer, DrawRef draw, uint32_t windowX, uint32_t windowY,
                    uint32_t x, uint32_t y, uint32_t width, uint32_t height);
void BufferBeginRects(DisplayBuffer* buffer);
void BufferEndRects(DisplayBuffer* buffer);
uint32_t BufferIsActive(const DisplayBuffer* buffer);

// ---- Palettes (palette.cpp) -----------------------------------------------------------------
// palette: 256 entries in the layout the word gives (0: 768 bytes of red, green, blue).
void BufferSetPalette(DisplayBuffer* buffer, const uint8_t* palette, uint32_t layout);
void BufferCreatePalette(DisplayBuffer* buffer);
uint32_t BufferRealizePalette(DisplayBuffer* buffer);
// 768 bytes of red, green, blue: the current system palette.
void ReadSystemPalette(uint8_t* rgb);

// ---- Full screen and closing (full_screen.cpp, buffer_close.cpp) ----------------------------
void BufferClose(DisplayBuffer* buffer);
void FreeDisplayLibraries();
// 0 back to the default, 1 640x400, 2 640x480, 3 800x600, 4 1024x768. 1 on success.
uint32_t SetDisplayResolution(uint32_t mode);

// ---- Process-wide display state -------------------------------------------------------------
// Whether 8-bit bitmaps with a visible pixel address were found (names method 5 "DIBSection").
bool DibSectionsFound();
// Forgets everything learnt about the screen and the facilities (tests, a new platform).
void ResetDisplayState();

}  // namespace tavik
