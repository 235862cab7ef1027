// The SDL backend's own records: its windows, drawing contexts, palettes, off-screen bitmaps and
// the simulated screen they all show on. Shared by the files of this folder only.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tavik {
namespace sdl {

// The screen's pixel format. SDL gives no access to the real screen's memory, so the backend
// offers a screen of its own choosing: 16-bit 5-6-5 by default (the format direct writes
// through the blitter want), 5-5-5, or 32-bit true colour (no direct writes then).
enum class ScreenFormat { Rgb565, Rgb555, Rgb888 };

struct ScreenFacts {
    ScreenFormat format = ScreenFormat::Rgb565;
    uint32_t bytesPerPixel = 2;
    uint32_t sdlFormat = SDL_PIXELFORMAT_RGB565;
    Point size{640, 480};
    Rect workArea{0, 0, 640, 480};
};

// One window's pixels in the screen format, as drawing through the window made them; the
// window's texture shows them, and direct writes on top of them.
struct PixelStore {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    int32_t Pitch() const;
    uint8_t* Row(int32_t y) { return pixels.data() + static_cast<size_t>(y) * Pitch(); }
    void Resize(int32_t newWidth, int32_t newHeight);
};

struct SdlWindow {
    bool fullScreen = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t textureWidth = 0, textureHeight = 0;
    PixelStore store;
    Rect frame;  // the client area in screen co-ordinates (the window manager's frame lies outside)
    SdlWindow* parent = nullptr;
    WindowHandler handler = nullptr;
    FullScreenHandler fullScreenHandler = nullptr;
    void* owner = nullptr;
    bool visible = false;
    bool minimised = false;
    bool invalid = false;  // a Paint event is owed
    bool menuEnabled[5] = {true, true, true, true, true};
    // Full-screen window: the picture as the requests describe it.
    int32_t logicalWidth = 320, logicalHeight = 200;
    SDL_Color colours[256] = {};
    int32_t formatWidth = 0, formatHeight = 0;  // of the bitmap header sent with the format
    std::vector<uint8_t> picture;               // top-down, logicalWidth x logicalHeight indices
    bool coloursChanged = false;  // new colours, shown with the next frame or at the next pump
    bool active = false;          // the owner was last told the window is active
    // The real window's size as last asked for it (it shows the client area scaled), and
    // whether the user has sized it since; then the player's moves keep the user's size.
    int32_t viewWidth = 0, viewHeight = 0;
    bool userSized = false;
};

struct SdlPalette {
    std::vector<PaletteEntry> entries;
};

struct SdlDraw {
    SdlWindow* window = nullptr;
    SdlPalette* selected = nullptr;
    bool drew = false;
};

struct SdlOffscreen {
    SDL_Surface* bitmap = nullptr;  // 8-bit, with the colours of SetOffscreenColours
};

ScreenFacts& Screen();

// Windows known to the backend; null for anything else (a stale or foreign reference).
SdlWindow* FindWindow(WindowRef ref);
SdlWindow* FindSdlWindow(Uint32 sdlWindowId);
SdlWindow* PlayerWindow();
WindowRef RefOf(SdlWindow* window);
std::vector<std::unique_ptr<SdlWindow>>& Windows();

// Pixel conversion into the screen format.
uint32_t PackColour(uint8_t red, uint8_t green, uint8_t blue);
void StorePixel(uint8_t* at, uint32_t pixel);

// The window's streaming texture, of the store's size; a new one is filled from the store.
// False when there is none.
bool EnsureTexture(SdlWindow* window);
// Copies a drawn rectangle of the window's store (inside it) into the texture.
void UploadToTexture(SdlWindow* window, const Rect& client);
// Puts what the window's texture holds on the real screen.
void Present(SdlWindow* window);

EventResult Deliver(SdlWindow* window, WindowEvent& event);

}  // namespace sdl
}  // namespace tavik
