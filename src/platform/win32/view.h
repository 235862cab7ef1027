// The desktop player's view of the player window (the desktop group of the table): scaling,
// full screen, the overlay, the volume and dropped files. It acts only after the player asked
// for it (SetViewOptions, never under a controlling program) and, until then, leaves every
// window, message and drawing call exactly as the backend has always made them.
//
// The player keeps placing, sizing and drawing the window's client area in movie pixels. While
// the window's real client area is that size and no overlay shows, everything reaches the
// window directly, as always. Otherwise (scaled, resized, full screen, the overlay shown) the
// player's drawing lands in the view's own picture of that size and the view shows it scaled
// into the window, shape kept, nearest neighbour, black bars, the overlay on top; direct writes
// to the screen are refused meanwhile, so the display draws through the window system.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace tavik::win32 {

// The player window's style, with a frame that can be dragged when the player asked for one.
DWORD ViewWindowStyle(DWORD style);
// The player window was made (hidden), or is going.
void ViewWindowCreated(HWND window);
void ViewWindowGone(HWND window);

// The player's move of its window: true when the view placed it (scaled) instead.
bool ViewMove(HWND window, int x, int y, int width, int height);
// The context of the view's picture while the window shows it scaled; null when the player
// draws into the window directly.
HDC ViewDrawContext(HWND window);
bool IsViewContext(HDC dc);
// Shows the view's picture in the window, through `target` or, when null, its own context.
void ViewPresent(HWND window, HDC target);
// Whether direct writes to the screen must wait (the window shows the view's picture).
bool ViewRefusesDirectWrites();

// The messages the view answers for the player window before the player sees them: true with
// `result` when the view handled the message entirely.
bool ViewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// While the view moves the window to or from full screen, the player's rule for the window's
// place stays out.
bool ViewPlacesWindow();

// The desktop group.
void SetViewOptions(const ViewOptions& options);
void ToggleFullScreen();
void ShowOverlay(const OverlayState& overlay);
void RefreshView();
void SetVolume(int32_t percent);
std::string TakeDroppedFile();

}  // namespace tavik::win32
