// A window's streaming texture: what the window shows. Drawing through the window goes into its
// store first and is copied into the texture rectangle by rectangle as it is drawn; direct
// writes go into the texture itself (sdl_primary.cpp). Either way the texture holds the picture
// in the order it was made, and presenting only puts it on the screen.
#include <cstring>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"
#include "platform/sdl/sdl_view.h"

namespace tavik {
namespace sdl {

namespace {

// Copies the store's part (x, y, width, height) into pixels locked for exactly that part.
void CopyFromStore(SdlWindow* w, const SDL_Rect& part) {
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->texture, &part, &pixels, &pitch) != 0) return;
    const size_t bytes = static_cast<size_t>(part.w) * Screen().bytesPerPixel;
    for (int32_t row = 0; row < part.h; ++row) {
        std::memcpy(
            static_cast<uint8_t*>(pixels) + static_cast<size_t>(row) * pitch,
            w->store.Row(part.y + row) + static_cast<size_t>(part.x) * Screen().bytesPerPixel,
            bytes);
    }
    SDL_UnlockTexture(w->texture);
}

}  // namespace

bool EnsureTexture(SdlWindow* w) {
    if (w->renderer == nullptr || w->store.width <= 0 || w->store.height <= 0) return false;
    if (w->texture != nullptr && w->textureWidth == w->store.width &&
        w->textureHeight == w->store.height) {
        return true;
    }
    if (w->texture != nullptr) SDL_DestroyTexture(w->texture);
    w->texture = SDL_CreateTexture(w->renderer, Screen().sdlFormat, SDL_TEXTUREACCESS_STREAMING,
                                   w->store.width, w->store.height);
    if (w->texture == nullptr) return false;
    SDL_SetTextureBlendMode(w->texture, SDL_BLENDMODE_NONE);
    w->textureWidth = w->store.width;
    w->textureHeight = w->store.height;
    CopyFromStore(w, SDL_Rect{0, 0, w->store.width, w->store.height});
    return true;
}

// `client` is already inside the store.
void UploadToTexture(SdlWindow* w, const Rect& client) {
    if (w == nullptr || w->fullScreen || client.right <= client.left ||
        client.bottom <= client.top) {
        return;
    }
    const bool fresh = w->texture == nullptr || w->textureWidth != w->store.width ||
                       w->textureHeight != w->store.height;
    if (!EnsureTexture(w) || fresh) return;  // a new texture was filled from the whole store
    CopyFromStore(w, SDL_Rect{client.left, client.top, client.right - client.left,
                              client.bottom - client.top});
}

void Present(SdlWindow* w) {
    if (w == nullptr || w->renderer == nullptr) return;
    if (w->fullScreen) return PresentFullScreen(w);
    if (!EnsureTexture(w)) return;
    PresentScaled(w);
}

}  // namespace sdl
}  // namespace tavik
