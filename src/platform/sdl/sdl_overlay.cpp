// The overlay: a strip at the bottom of the window with the pause sign, the position and length
// as MM:SS / MM:SS, a bar of the position, and the volume when it changed. Drawn by the renderer
// on top of the presented picture, so the picture and the player's drawing stay untouched;
// shown for a moment after each request, then the window is presented again without it.
#include "platform/sdl/sdl_overlay.h"

#include "platform/view_layout.h"
#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_platform.h"

namespace tavik {

namespace {

constexpr Uint32 kShownMs = 1500;

OverlayState g_overlay;
Uint32 g_until = 0;
bool g_shown = false;  // drawn at the last present

}  // namespace

void ShowSdlOverlay(const OverlayState& overlay) {
    g_overlay = overlay;
    g_until = SDL_GetTicks() + kShownMs;
    if (sdl::SdlWindow* w = sdl::PlayerWindow()) sdl::Present(w);
}

void RefreshSdlView() {
    if (!g_shown || SDL_TICKS_PASSED(SDL_GetTicks(), g_until) == SDL_FALSE) return;
    if (sdl::SdlWindow* w = sdl::PlayerWindow()) sdl::Present(w);
}

namespace sdl {

void DrawOverlay(SDL_Renderer* r, int outWidth, int outHeight) {
    g_shown = !SDL_TICKS_PASSED(SDL_GetTicks(), g_until);
    if (!g_shown) return;
    const OverlayLayout layout = LayOutOverlay(g_overlay, outWidth, outHeight);
    auto sdlRect = [](const Rect& x) {
        return SDL_Rect{x.left, x.top, x.right - x.left, x.bottom - x.top};
    };
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 170);
    const SDL_Rect back = sdlRect(layout.strip);
    SDL_RenderFillRect(r, &back);
    SDL_SetRenderDrawColor(r, 255, 255, 255, 255);
    for (const Rect& light : layout.light) {
        const SDL_Rect lit = sdlRect(light);
        SDL_RenderFillRect(r, &lit);
    }
    if (layout.barFrame.right > layout.barFrame.left) {
        const SDL_Rect frame = sdlRect(layout.barFrame);
        SDL_RenderDrawRect(r, &frame);
    }
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
}

}  // namespace sdl
}  // namespace tavik
