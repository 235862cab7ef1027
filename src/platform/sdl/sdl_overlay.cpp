// The overlay: a strip at the bottom of the window with the pause sign, the position and length
// as MM:SS / MM:SS, a bar of the position, and the volume when it changed. Drawn by the renderer
// on top of the presented picture, so the picture and the player's drawing stay untouched;
// shown for a moment after each request, then the window is presented again without it.
#include "platform/sdl/sdl_overlay.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_platform.h"

namespace tavik {

namespace {

constexpr Uint32 kShownMs = 1500;

OverlayState g_overlay;
Uint32 g_until = 0;
bool g_shown = false;  // drawn at the last present

// A 3 x 5 font of the few characters shown: one row a byte, bit 2 the left column.
struct Glyph {
    char c;
    uint8_t rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {':', {0, 2, 0, 2, 0}}, {'/', {1, 1, 2, 4, 4}},
    {'%', {5, 1, 2, 4, 5}}, {'|', {5, 5, 5, 5, 5}},
};

void DrawText(SDL_Renderer* r, const std::string& text, int x, int y, int dot) {
    for (char c : text) {
        for (const Glyph& g : kGlyphs) {
            if (g.c != c) continue;
            for (int row = 0; row < 5; ++row) {
                for (int column = 0; column < 3; ++column) {
                    if (!(g.rows[row] & (4 >> column))) continue;
                    const SDL_Rect dotRect{x + column * dot, y + row * dot, dot, dot};
                    SDL_RenderFillRect(r, &dotRect);
                }
            }
        }
        x += 4 * dot;
    }
}

std::string Clock(uint32_t ms) {
    char text[16];
    const uint32_t seconds = ms / 1000;
    std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    return text;
}

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
    const int dot = std::max(1, outHeight / 120);
    const int strip = 9 * dot;
    const int top = outHeight - strip;
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 170);
    const SDL_Rect back{0, top, outWidth, strip};
    SDL_RenderFillRect(r, &back);
    SDL_SetRenderDrawColor(r, 255, 255, 255, 255);
    std::string text = g_overlay.paused ? "| " : "";
    text += Clock(g_overlay.positionMs) + "/" + Clock(g_overlay.lengthMs);
    DrawText(r, text, 2 * dot, top + 2 * dot, dot);
    const int barLeft = static_cast<int>(4 * dot * (text.size() + 1));
    int barRight = outWidth - 2 * dot;
    if (g_overlay.showVolume) {
        const std::string volume = std::to_string(g_overlay.volume) + "%";
        barRight -= static_cast<int>(4 * dot * (volume.size() + 1));
        DrawText(r, volume, barRight + 4 * dot, top + 2 * dot, dot);
    }
    if (barRight > barLeft && g_overlay.lengthMs > 0) {
        const SDL_Rect frame{barLeft, top + 3 * dot, barRight - barLeft, 3 * dot};
        SDL_RenderDrawRect(r, &frame);
        const uint64_t done = std::min(g_overlay.positionMs, g_overlay.lengthMs);
        const SDL_Rect fill{barLeft, top + 3 * dot,
                            static_cast<int>(done * (barRight - barLeft) / g_overlay.lengthMs),
                            3 * dot};
        SDL_RenderFillRect(r, &fill);
    }
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE);
}

}  // namespace sdl
}  // namespace tavik
