// The player window on the real screen. The player places and sizes the window's client area in
// movie pixels, and everything it draws lands in the window's texture at that size; the real
// SDL window is a whole-number multiple of it at first (or whatever the user makes it), and
// presenting scales the texture into it with its shape kept, nearest neighbour, black around.
// Full screen is the same picture scaled to the screen. So the player's placement, clipping and
// direct writes never see the scale.
#include "platform/sdl/sdl_view.h"

#include <algorithm>
#include <deque>
#include <string>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_overlay.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/view_layout.h"

namespace tavik {

namespace {

ViewOptions g_options;
std::deque<std::string> g_dropped;

}  // namespace

void SetSdlViewOptions(const ViewOptions& options) {
    g_options = options;
}

void ToggleSdlFullScreen() {
    sdl::SdlWindow* w = sdl::PlayerWindow();
    if (w == nullptr || w->window == nullptr) return;
    const bool full = (SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(w->window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    w->invalid = true;
}

std::string TakeSdlDroppedFile() {
    if (g_dropped.empty()) return "";
    std::string name = g_dropped.front();
    g_dropped.pop_front();
    return name;
}

namespace sdl {

SDL_Rect ViewFrame(int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t scale = g_options.scale;
    if (scale <= 0 && width > 0 && height > 0) {
        const Point screen = Screen().size;
        scale = std::max(1, std::min(screen.x / 2 / width, screen.y / 2 / height));
    }
    scale = std::max(scale, 1);
    SDL_Rect r{x, y, width * scale, height * scale};
    if (scale > 1 && g_options.centred) {
        r.x = std::max(Screen().workArea.left, x + width / 2 - r.w / 2);
        r.y = std::max(Screen().workArea.top, y + height / 2 - r.h / 2);
    }
    return r;
}

void PresentScaled(SdlWindow* w) {
    int outWidth = 0, outHeight = 0;
    if (SDL_GetRendererOutputSize(w->renderer, &outWidth, &outHeight) != 0 || outWidth <= 0 ||
        outHeight <= 0) {
        return;
    }
    if (outWidth == w->textureWidth && outHeight == w->textureHeight) {
        SDL_RenderCopy(w->renderer, w->texture, nullptr, nullptr);
    } else {
        const Rect fit = FitPicture(w->textureWidth, w->textureHeight, outWidth, outHeight);
        const SDL_Rect to{fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top};
        SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
        SDL_RenderClear(w->renderer);
        SDL_RenderCopy(w->renderer, w->texture, nullptr, &to);
    }
    DrawOverlay(w->renderer, outWidth, outHeight);
    SDL_RenderPresent(w->renderer);
}

void ViewResized(SdlWindow* w, int32_t width, int32_t height) {
    const bool full = (SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (!full && (width != w->viewWidth || height != w->viewHeight)) w->userSized = true;
    w->invalid = true;
}

void FileDropped(const char* path) {
    if (path != nullptr && *path != '\0') g_dropped.emplace_back(path);
}

void DoubleClicked(SdlWindow* w) {
    if (w != nullptr && !w->fullScreen) ToggleSdlFullScreen();
}

}  // namespace sdl
}  // namespace tavik
