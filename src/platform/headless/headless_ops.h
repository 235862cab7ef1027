// The headless backend inside: its operations by the file that implements them, and what those
// files share. Only the backend's own files include this.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"

namespace tavik {
namespace headless {

// The handles the screen model gives out.
struct Draw {
    Window* window;
    PaletteRef selected = nullptr;
};

struct Palette {
    std::vector<PaletteEntry> entries;
};

struct Offscreen {
    bool wing = false;
    std::vector<uint8_t> bitmap;
    bool hasBitmap = false;
};

template <typename T, typename Ref>
T* As(Ref ref) {
    return reinterpret_cast<T*>(ref);
}

inline Screen& S() {
    return TheScreen();
}

// headless_recording.cpp: what a test asked to be kept (nothing is kept otherwise).
void Log(std::string line);
void RecordDraw(const DrawCall& call);
void RecordPalette(const PaletteEntry* entries, uint32_t count);
void RecordFullScreenRequest(uint32_t id, uint32_t count, const void* data);
void RecordResolutionChange(uint32_t width, uint32_t height);
void RecordMessage(const char* caption, const char* text, bool stopIcon);

// headless_screen.cpp: the screen, its facilities, pictures, palettes, primary surface, cursor
// and full-screen window.
uint32_t ScreenDepth();
uint32_t ReservedColours();
bool PaletteHasStatics();
void ReadSystemPalette(PaletteEntry* entries);
void FlushSystemPalette();
Point ScreenSize();
Rect WorkArea();
bool LoadLibrary(DisplayLibrary library);
void FreeLibrary(DisplayLibrary library);
bool WinGBottomUp();
OffscreenRef CreateOffscreen(bool wing);
bool CreateOffscreenBitmap(OffscreenRef offscreen, int32_t width, int32_t height, uint8_t** bits);
void DestroyOffscreenBitmap(OffscreenRef offscreen);
void DestroyOffscreen(OffscreenRef offscreen);
void SetOffscreenColours(OffscreenRef offscreen, uint32_t first, uint32_t count,
                         const uint8_t* table);
DrawRef GetDrawContext(WindowRef window);
void ReleaseDrawContext(WindowRef window, DrawRef draw);
void DrawBits(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx, int32_t sy,
              int32_t sw, int32_t sh, const uint8_t* bits, int32_t width, int32_t height);
void CopyOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t w, int32_t h,
                   OffscreenRef offscreen, int32_t sx, int32_t sy);
void StretchOffscreen(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                      OffscreenRef offscreen, int32_t sx, int32_t sy, int32_t sw, int32_t sh);
void FillBlack(DrawRef draw, int32_t x, int32_t y, int32_t w, int32_t h);
PaletteRef CreatePalette(const PaletteEntry* entries, uint32_t count);
void DeletePalette(PaletteRef palette);
PaletteRef SelectPalette(DrawRef draw, PaletteRef palette);
uint32_t RealizePalette(DrawRef draw);
PrimaryRef OpenPrimary(WindowRef window);
bool PrimaryFormat(PrimaryRef primary, PixelFormat* format);
LockResult LockPrimary(PrimaryRef primary, LockedSurface* locked);
bool RestorePrimary(PrimaryRef primary);
void UnlockPrimary(PrimaryRef primary, uint8_t* bits);
void ClosePrimary(PrimaryRef primary);
bool HasMouse();
Point CursorPosition();
Point CursorSize();
int32_t ShowCursor(bool show);
CursorRef WindowCursor(WindowRef window);
CursorRef SetCursor(CursorRef cursor);
WindowRef CreateProbeWindow(Point at, CursorRef cursor);
void DestroyProbeWindow(WindowRef probe);
uint32_t ReadPixel(WindowRef window, Point point);
void WritePixel(WindowRef window, Point point, uint32_t colour);
void PeekMessages();
WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner);
intptr_t SendFullScreenData(WindowRef fullScreen, uint32_t id, uint32_t count, const void* data);
void CloseFullScreenWindow(WindowRef fullScreen);
void ShowFullScreenTopmost(WindowRef fullScreen);
uint8_t* FullScreenMemory();
bool ChangeResolution(uint32_t width, uint32_t height);

// headless_windows.cpp: windows, their events and the message queue.
bool IsVisible(WindowRef window);
bool IsForeground(WindowRef window);
WindowRef FocusWindow();
Point ClientToScreen(WindowRef window, Point point);
Point ScreenToClient(WindowRef window, Point point);
Rect ClientRect(WindowRef window);
Rect WindowRect(WindowRef window);
WindowRef Parent(WindowRef window);
void Invalidate(WindowRef window);
bool IsWindow(WindowRef window);
uint32_t InstanceId();
IconRef LoadIcon();
void DestroyIcon(IconRef icon);
bool RegisterWindowClass(const char* className, IconRef icon);
void UnregisterWindowClass(const char* className);
WindowRef CreateWindow(const WindowSpec& plan);
void DestroyWindow(WindowRef window);
void EnableMenuItem(WindowRef window, uint32_t position, bool enabled);
void MoveWindow(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);
void ShowWindow(WindowRef window, ShowCommand command);
void BringToFront(WindowRef window);
void SetFocus(WindowRef window);
void UpdateWindow(WindowRef window);
void SetTitle(WindowRef window, const char* title);
EventResult SendEvent(WindowRef window, WindowEvent& event);
void PostQuit();
PumpResult PumpMessage();
void Yield();
bool KeyHeld(HeldKey key);
void MessageBox(WindowRef owner, const char* text, const char* caption, bool stopIcon);

}  // namespace headless
}  // namespace tavik
