// Process-wide state of the display side: the screen facts learnt at the first open, the
// facilities found, the shared bitmap header and the current full-screen buffer.
#pragma once

#include <cstdint>

#include "display/display_buffer.h"

namespace tavik {

// 0 not tried, absent, loaded, or (WinG) not needed because DIB sections exist.
enum class LibraryState { NotTried, Absent, Loaded, NotNeeded };

inline constexpr uint32_t kSharedHeaderSize = 1064;  // 40-byte header + 256 colour entries

struct DisplayState {
    bool factsKnown = false;
    uint32_t screenColours = 0;  // 2 to the power of the screen depth (exponent at most 24)
    uint32_t paletteSize = 0;    // the screen colours, at most 256
    uint32_t reservedHalf = 0;   // half the reserved colours on a 256-colour screen, else 0
    LibraryState dibSections = LibraryState::NotTried;
    LibraryState wing = LibraryState::NotTried;
    LibraryState directDraw = LibraryState::NotTried;
    LibraryState displaySettings = LibraryState::NotTried;
    // The bitmap header handed to full-screen requests; its colour area holds the 16-bit
    // indices 0..255 except while a palette request is sent.
    uint8_t sharedHeader[kSharedHeaderSize] = {};
    DisplayBuffer* fullScreenBuffer = nullptr;
    // The cursor test's cache and the cursor size.
    bool cursorTested = false;
    CursorRef testedCursor = nullptr;
    uint8_t* testedSurface = nullptr;
    uint32_t testedBitsPerPixel = 0;
    uint32_t testedResult = 0;
    bool cursorSizeKnown = false;
    Point cursorSize;
};

DisplayState& Display();

// Whether the backend has the group a facility belongs to and the facility itself.
bool Offers(DisplayLibrary library);
// Loaders, each idempotent through the states above.
void LoadDibSectionFunctions();
void LoadWinG();
void LoadDirectDraw();
bool DispDibAvailable();

// Writes the indices 0..255 (16 bits each) into the shared header's colour area.
void WriteHeaderIndices();
// The shared header as full-screen requests want it: width Pitch, height Height, bottom-up.
void PrepareBitmapHeader(const DisplayBuffer* buffer);

// Full-screen output (full_screen.cpp).
bool SwitchToFullScreen(DisplayBuffer* buffer);
void ShowFullScreenFrame(DisplayBuffer* buffer);
void SendFullScreenPalette(DisplayBuffer* buffer);

// Direct writes to the primary surface (direct_draw.cpp).
uint32_t SurfaceFormatFlags(PrimaryRef primary);
void SetUpDirectDraw(DisplayBuffer* buffer, uint32_t methodFlags);
// Locks the primary, restoring it while it reports itself lost. False on any other failure.
bool LockPrimarySurface(PrimaryRef primary, LockedSurface* locked);
// The screen rectangle a lock reaches: its own, or the whole screen when it names none.
Rect LockedReach(const LockedSurface& locked);

// Cursor hiding around direct writes (cursor.cpp).
uint32_t CursorNeedsHiding(PrimaryRef primary, CursorRef cursor);
uint32_t HideCursorOver(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);
void ShowCursorTimes(uint32_t count);

}  // namespace tavik
