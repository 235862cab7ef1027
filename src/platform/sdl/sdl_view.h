// How the native program shows the player window on today's screens: scaled to the window with
// its shape kept, full screen on request, an overlay of position and volume, and dropped files.
// The player's own arithmetic still works on the window's unscaled client area; only what
// reaches the real screen is scaled (see sdl_view.cpp).
#pragma once

#include <cstdint>
#include <string>

#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

// The real window's size for a client area of width x height: the fixed scale, or the largest
// whole-number scale that fits half the screen (at least 1); and where it goes so that its
// centre stays where the player centred the client area (its corner when not centred).
SDL_Rect ViewFrame(int32_t x, int32_t y, int32_t width, int32_t height);
// Copies the texture to the renderer scaled into the window (black bars around it) and draws
// the overlay when one is due.
void PresentScaled(SdlWindow* window);
// The window was resized by the user or the window manager.
void ViewResized(SdlWindow* window, int32_t width, int32_t height);
// A file dropped on a window; a double click.
void FileDropped(const char* path);
void DoubleClicked(SdlWindow* window);

}  // namespace sdl
}  // namespace tavik
