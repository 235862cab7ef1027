// The overlay of position, length and volume over the scaled picture (never in the picture).
#pragma once

#include <SDL.h>

namespace tavik {
namespace sdl {

// Draws the overlay over the whole output of outWidth x outHeight while it is due.
void DrawOverlay(SDL_Renderer* renderer, int outWidth, int outHeight);

}  // namespace sdl
}  // namespace tavik
