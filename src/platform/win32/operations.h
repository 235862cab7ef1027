// The win32 backend's operations, by the file that implements them; platform_table.cpp puts
// them into the platform table's groups.
#pragma once

#include "platform/win32/windows_api.h"

namespace tavik::win32 {

// screen.cpp: screen facts and palettes.
uint32_t ScreenDepth();
uint32_t ReservedColours();
bool PaletteHasStatics();
void ReadSystemPalette(PaletteEntry* entries);
void FlushSystemPalette();
Point ScreenSize();
Rect WorkArea();
PaletteRef CreateLogicalPalette(const PaletteEntry* entries, uint32_t count);
void DeleteLogicalPalette(PaletteRef palette);
PaletteRef SelectForegroundPalette(DrawRef draw, PaletteRef palette);
uint32_t RealizeSelectedPalette(DrawRef draw);

// drawing.cpp: the off-screen bitmap and drawing into windows.
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

// primary_surface.cpp: windowed direct writes through DirectDraw.
PrimaryRef OpenPrimary(WindowRef window);
bool PrimaryFormat(PrimaryRef primary, PixelFormat* format);
LockResult LockPrimary(PrimaryRef primary, LockedSurface* locked);
bool RestorePrimary(PrimaryRef primary);
void UnlockPrimary(PrimaryRef primary, uint8_t* bits);
void ClosePrimary(PrimaryRef primary);

// cursor.cpp: the mouse cursor and the cursor probe window.
bool HasMouse();
Point CursorPosition();
Point CursorSize();
int32_t ShowCursorCount(bool show);
CursorRef WindowCursor(WindowRef window);
CursorRef SetCursorImage(CursorRef cursor);
WindowRef CreateProbeWindow(Point at, CursorRef cursor);
void DestroyProbeWindow(WindowRef probe);
uint32_t ReadPixel(WindowRef window, Point point);
void WritePixel(WindowRef window, Point point, uint32_t colour);
void PeekMessages();

// full_screen.cpp: the DISPDIB window and the desktop resolution.
WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner);
intptr_t SendFullScreenData(WindowRef fullScreen, uint32_t id, uint32_t count, const void* data);
void CloseFullScreenWindow(WindowRef fullScreen);
void ShowFullScreenTopmost(WindowRef fullScreen);
uint8_t* FullScreenMemory();
bool ChangeResolution(uint32_t width, uint32_t height);

// window.cpp: the player window, its messages, and window queries.
bool IsVisible(WindowRef window);
bool IsForeground(WindowRef window);
WindowRef FocusWindow();
Point ClientToScreenPoint(WindowRef window, Point point);
Point ScreenToClientPoint(WindowRef window, Point point);
Rect ClientRect(WindowRef window);
Rect WindowRect(WindowRef window);
WindowRef Parent(WindowRef window);
void Invalidate(WindowRef window);
bool IsWindowAlive(WindowRef window);
uint32_t InstanceId();
IconRef LoadProgramIcon();
void DestroyProgramIcon(IconRef icon);
bool RegisterWindowClass(const char* className, IconRef icon);
void UnregisterWindowClass(const char* className);
WindowRef CreatePlayerWindow(const WindowSpec& plan);
void DestroyPlayerWindow(WindowRef window);
void EnableSystemMenuItem(WindowRef window, uint32_t position, bool enabled);
void MoveWindowTo(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);
void ShowWindowAs(WindowRef window, ShowCommand command);
void BringToFront(WindowRef window);
void SetFocusTo(WindowRef window);
void UpdateWindowNow(WindowRef window);
void SetTitle(WindowRef window, const char* title);
EventResult SendEvent(WindowRef window, WindowEvent& event);
void PostQuit();

// messages.cpp: the message pump, input, message boxes and the controlling window.
PumpResult PumpMessage();
void YieldProcessor();
bool KeyHeld(HeldKey key);
void ShowMessageBox(WindowRef owner, const char* text, const char* caption, bool stopIcon);
WindowRef WindowFromNumber(uint32_t number);
void WindowTitle(WindowRef window, char* title, uint32_t size);
intptr_t SendQuery(WindowRef window, uint32_t message);
void SendCopyData(WindowRef window, uint32_t id, const void* data, uint32_t count);

}  // namespace tavik::win32
