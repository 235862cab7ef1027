// The primary surface for direct writes: the player window's streaming texture, locked whole
// and written in place by the blitter; unlocking shows it. The lock names the window's client
// area as the part of the screen it reaches.
//
// SDL calls locked texture pixels write-only: a renderer may hand out fresh memory at each
// lock. A frame's direct writes cover only its changed rectangles, and the blank lines of the
// interlaced mode come from one black fill, so the texture must keep what it held between
// locks. The software, OpenGL and OpenGL ES 2 renderers do (a lock gives the texture's own
// memory, or a copy kept for the texture's life and sent up at unlock); under any other
// renderer no primary is offered and the bitmap method draws through the window instead.
#include <cstring>
#include <new>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

namespace {

struct Primary {
    SdlWindow* window = nullptr;
};
Primary* g_primary = nullptr;

bool KeepsLockedPixels(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return false;
    for (const char* name : {"software", "opengl", "opengles2"}) {
        if (std::strcmp(info.name, name) == 0) return true;
    }
    return false;
}

// The primary's window while it still exists.
SdlWindow* WindowOf(PrimaryRef ref) {
    auto* primary = reinterpret_cast<Primary*>(ref);
    if (primary == nullptr || primary != g_primary) return nullptr;
    return FindWindow(RefOf(primary->window));
}

}  // namespace

PrimaryRef OpenPrimary(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (g_primary != nullptr || w == nullptr || w->fullScreen || !KeepsLockedPixels(w->renderer)) {
        return nullptr;
    }
    g_primary = new (std::nothrow) Primary{w};
    return reinterpret_cast<PrimaryRef>(g_primary);
}

bool PrimaryFormat(PrimaryRef, PixelFormat* format) {
    format->bitsPerPixel = Screen().bytesPerPixel * 8;
    format->redMask = Screen().format == ScreenFormat::Rgb555 ? 0x7C00 : 0xF800;
    format->greenMask = Screen().format == ScreenFormat::Rgb555 ? 0x03E0 : 0x07E0;
    format->blueMask = 0x001F;
    if (Screen().format == ScreenFormat::Rgb888) {
        format->redMask = 0xFF0000, format->greenMask = 0xFF00, format->blueMask = 0xFF;
    }
    return true;
}

LockResult LockPrimary(PrimaryRef ref, LockedSurface* locked) {
    SdlWindow* w = WindowOf(ref);
    if (w == nullptr || !EnsureTexture(w)) return LockResult::Failed;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->texture, nullptr, &pixels, &pitch) != 0) return LockResult::Failed;
    locked->bits = static_cast<uint8_t*>(pixels);
    locked->pitch = pitch;
    locked->bitsPerPixel = Screen().bytesPerPixel * 8;
    locked->reach = Rect{w->frame.left, w->frame.top, w->frame.left + w->textureWidth,
                         w->frame.top + w->textureHeight};
    return LockResult::Locked;
}

bool RestorePrimary(PrimaryRef) {
    return true;
}

void UnlockPrimary(PrimaryRef ref, uint8_t*) {
    SdlWindow* w = WindowOf(ref);
    if (w == nullptr || w->texture == nullptr) return;
    SDL_UnlockTexture(w->texture);
    if (w->visible && !w->minimised) Present(w);
}

void ClosePrimary(PrimaryRef ref) {
    auto* primary = reinterpret_cast<Primary*>(ref);
    if (primary == nullptr || primary != g_primary) return;
    delete primary;
    g_primary = nullptr;
}

}  // namespace sdl
}  // namespace tavik
