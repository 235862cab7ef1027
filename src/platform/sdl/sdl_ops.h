// The operations of the SDL backend's table, by the file that implements them.
#pragma once

#include "platform/platform.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

// sdl_screen.cpp
void SetScreenFormat(ScreenFormat format);
void LearnScreenSize();
uint32_t ScreenDepth();
uint32_t ReservedColours();
bool PaletteHasStatics();
void ReadSystemPalette(PaletteEntry* entries);
void FlushSystemPalette();
Point ScreenSize();
Rect WorkArea();
bool LoadLibrary(DisplayLibrary library);
void FreeLibrary(DisplayLibrary library);
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
bool ChangeResolution(uint32_t width, uint32_t height);

// sdl_primary.cpp
PrimaryRef OpenPrimary(WindowRef window);
bool PrimaryFormat(PrimaryRef primary, PixelFormat* format);
LockResult LockPrimary(PrimaryRef primary, LockedSurface* locked);
bool RestorePrimary(PrimaryRef primary);
void UnlockPrimary(PrimaryRef primary, uint8_t* bits);
void ClosePrimary(PrimaryRef primary);

// sdl_drawing.cpp
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

// sdl_windows.cpp
SDL_Renderer* MakeRenderer(SDL_Window* window);
bool TakeQuit();
bool PaintOneInvalidWindow();
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

// sdl_full_screen.cpp
void PresentFullScreen(SdlWindow* window);
void RefreshFullScreen();
// The full-screen window got or lost the focus; its owner is told of changes only.
void ActivateFullScreen(SdlWindow* window, bool activated);
WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner);
intptr_t SendFullScreenData(WindowRef fullScreen, uint32_t id, uint32_t count, const void* data);
void CloseFullScreenWindow(WindowRef fullScreen);
void ShowFullScreenTopmost(WindowRef fullScreen);
uint8_t* FullScreenMemory();

// sdl_events.cpp
PumpResult PumpMessage();
void Yield();
bool KeyHeld(HeldKey key);

// sdl_platform.cpp
void MessageBox(WindowRef owner, const char* text, const char* caption, bool stopIcon);

}  // namespace sdl

// The desktop group: sdl_view.cpp, sdl_overlay.cpp, and the volume in sdl_sound.cpp.
void SetSdlViewOptions(const ViewOptions& options);
void ToggleSdlFullScreen();
void ShowSdlOverlay(const OverlayState& overlay);
void RefreshSdlView();
void SetSdlVolume(int32_t percent);
std::string TakeSdlDroppedFile();

}  // namespace tavik
