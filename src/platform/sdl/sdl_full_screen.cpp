// The full-screen window: a desktop-sized SDL window whose renderer has a logical size of
// 320 x 240 or 320 x 200, so the picture is scaled up by a whole factor, centred on black.
//
// It answers the same requests as the full-screen window it stands for: the bitmap format
// (which also picks the logical size), the palette (shown with the next frame, so that the old
// picture never shows in the new colours), and whole frames (rows bottom-up, as the format's
// positive height says); closing hides and destroys it. For the direct method it shows
// the 320 x 200 screen memory the movie writes into, looked at for changes while the player
// pumps its messages, until a frame request says the window is fed by requests instead.
#include <algorithm>
#include <cstring>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"

namespace tavik {
namespace sdl {

namespace {

constexpr uint32_t kFormatRequest240 = 0x8AD50400;
constexpr uint32_t kFormatRequest200 = 0x8AD10400;
constexpr uint32_t kPaletteRequest240 = 0x8AC50400;
constexpr uint32_t kPaletteRequest200 = 0x8AC10400;
constexpr uint32_t kFrameRequest = 0x0A500401;
constexpr uint32_t kHeaderSize = 1064;
constexpr int32_t kMemoryWidth = 320, kMemoryHeight = 200;
// The screen memory is compared with what is shown at most this often.
constexpr Uint32 kMemoryRefreshMs = 10;

uint8_t g_screenMemory[kMemoryWidth * kMemoryHeight];
bool g_memoryHandedOut = false;  // the next full-screen window shows the screen memory
SdlWindow* g_memoryWindow = nullptr;
Uint32 g_lastRefresh = 0;

int32_t Read32(const uint8_t* at) {
    int32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

void SetLogicalSize(SdlWindow* w, int32_t height) {
    w->logicalHeight = height;
    w->picture.assign(static_cast<size_t>(w->logicalWidth) * static_cast<size_t>(height), 0);
    if (w->texture != nullptr) SDL_DestroyTexture(w->texture);
    w->texture = nullptr;
    // Whole multiples only: every movie pixel becomes the same square of screen pixels.
    SDL_RenderSetLogicalSize(w->renderer, w->logicalWidth, height);
    SDL_RenderSetIntegerScale(w->renderer, SDL_TRUE);
}

// A frame: rows of the format's width, bottom-up, as many whole rows as the bytes hold; the
// picture is centred on the logical screen and cut to it.
void TakeFrame(SdlWindow* w, const uint8_t* data, uint32_t count) {
    const int32_t width = w->formatWidth;
    const int32_t height = std::abs(w->formatHeight);
    if (width <= 0 || height == 0 || data == nullptr) return;
    const int32_t rows = static_cast<int32_t>(std::min<uint64_t>(count / width, height));
    const int32_t shownWidth = std::min(width, w->logicalWidth);
    const int32_t left = (w->logicalWidth - shownWidth) / 2;
    const int32_t top = std::max((w->logicalHeight - height) / 2, 0);
    std::fill(w->picture.begin(), w->picture.end(), uint8_t{0});
    for (int32_t y = 0; y < height && top + y < w->logicalHeight; ++y) {
        const int32_t memoryRow = w->formatHeight > 0 ? height - 1 - y : y;
        if (memoryRow >= rows) continue;
        std::memcpy(w->picture.data() + static_cast<size_t>(top + y) * w->logicalWidth + left,
                    data + static_cast<size_t>(memoryRow) * width, static_cast<size_t>(shownWidth));
    }
}

}  // namespace

void PresentFullScreen(SdlWindow* w) {
    if (w->renderer == nullptr || w->picture.empty()) return;
    if (w->texture == nullptr) {
        w->texture =
            SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                              w->logicalWidth, w->logicalHeight);
        if (w->texture == nullptr) return;
    }
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(w->texture, nullptr, &pixels, &pitch) != 0) return;
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) {
        colours[i] =
            static_cast<uint32_t>(w->colours[i].r << 16 | w->colours[i].g << 8 | w->colours[i].b);
    }
    for (int32_t y = 0; y < w->logicalHeight; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) +
                                                static_cast<size_t>(y) * pitch);
        const uint8_t* in = w->picture.data() + static_cast<size_t>(y) * w->logicalWidth;
        for (int32_t x = 0; x < w->logicalWidth; ++x) out[x] = colours[in[x]];
    }
    SDL_UnlockTexture(w->texture);
    w->coloursChanged = false;
    SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
    SDL_RenderClear(w->renderer);
    SDL_RenderCopy(w->renderer, w->texture, nullptr, nullptr);
    SDL_RenderPresent(w->renderer);
}

void RefreshFullScreen() {
    for (auto& window : Windows()) {
        if (window->fullScreen && window->coloursChanged && window.get() != g_memoryWindow) {
            if (window->visible) Present(window.get());
        }
    }
    SdlWindow* w = g_memoryWindow;
    if (w == nullptr || w->picture.size() != sizeof g_screenMemory) return;
    const Uint32 now = SDL_GetTicks();
    if (now - g_lastRefresh < kMemoryRefreshMs) return;
    g_lastRefresh = now;
    if (!w->coloursChanged &&
        std::memcmp(w->picture.data(), g_screenMemory, sizeof g_screenMemory) == 0) {
        return;
    }
    std::memcpy(w->picture.data(), g_screenMemory, sizeof g_screenMemory);
    Present(w);
}

// Leaving the full-screen mode hands its screen memory back to the desktop, which uses it for
// its own picture: what the movie wrote there is gone once the owner, told first, saved it.
// Coming back, the owner is told after the window has the memory again, to put it back.
void ActivateFullScreen(SdlWindow* w, bool activated) {
    if (w->active == activated) return;
    w->active = activated;
    if (w->fullScreenHandler != nullptr) w->fullScreenHandler(w->owner, activated);
    if (activated) {
        Present(w);
    } else if (w == g_memoryWindow) {
        std::memset(g_screenMemory, 0, sizeof g_screenMemory);
    }
}

WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner) {
    auto w = std::make_unique<SdlWindow>();
    w->fullScreen = true;
    const Point screen = Screen().size;
    w->window =
        SDL_CreateWindow("TavikPlay", 0, 0, screen.x, screen.y,
                         SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (w->window != nullptr) w->renderer = MakeRenderer(w->window);
    if (w->renderer == nullptr) {
        if (w->window != nullptr) SDL_DestroyWindow(w->window);
        return nullptr;
    }
    w->frame = Rect{0, 0, screen.x, screen.y};
    w->parent = FindWindow(player);
    w->fullScreenHandler = handler;
    w->owner = owner;
    SetLogicalSize(w.get(), kMemoryHeight);
    if (g_memoryHandedOut) {
        g_memoryHandedOut = false;
        g_memoryWindow = w.get();
    }
    Windows().push_back(std::move(w));
    return RefOf(Windows().back().get());
}

intptr_t SendFullScreenData(WindowRef ref, uint32_t id, uint32_t count, const void* data) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr || !w->fullScreen || data == nullptr) return 0;
    const auto* bytes = static_cast<const uint8_t*>(data);
    switch (id) {
        case kFormatRequest240:
        case kFormatRequest200:
            if (count < kHeaderSize) return 0;
            w->formatWidth = Read32(bytes + 4);
            w->formatHeight = Read32(bytes + 8);
            SetLogicalSize(w, id == kFormatRequest240 ? 240 : 200);
            return 1;
        case kPaletteRequest240:
        case kPaletteRequest200:
            if (count < kHeaderSize) return 0;
            for (int i = 0; i < 256; ++i) {
                const uint8_t* entry = bytes + 40 + 4 * i;
                w->colours[i] = SDL_Color{entry[2], entry[1], entry[0], 255};
            }
            // Shown with the frame that follows, not with the old picture first.
            w->coloursChanged = true;
            return 1;
        case kFrameRequest:
            if (g_memoryWindow == w) g_memoryWindow = nullptr;
            TakeFrame(w, bytes, count);
            if (w->visible) Present(w);
            return 1;
        default:
            return 0;
    }
}

void CloseFullScreenWindow(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr || !w->fullScreen) return;
    if (g_memoryWindow == w) g_memoryWindow = nullptr;
    if (w->texture != nullptr) SDL_DestroyTexture(w->texture);
    SDL_DestroyRenderer(w->renderer);
    SDL_DestroyWindow(w->window);
    auto& windows = Windows();
    windows.erase(
        std::find_if(windows.begin(), windows.end(), [w](const auto& p) { return p.get() == w; }));
}

void ShowFullScreenTopmost(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr || !w->fullScreen) return;
    SDL_ShowWindow(w->window);
    SDL_RaiseWindow(w->window);
    SDL_SetWindowInputFocus(w->window);
    w->visible = true;
    // Active from here on, as a full-screen window is at once where it stands for: the owner
    // hears of it before any frame is written, not when the focus event turns up later (its
    // putting back of a still empty saved screen would then wipe the frames shown so far).
    ActivateFullScreen(w, true);
}

uint8_t* FullScreenMemory() {
    g_memoryHandedOut = true;
    return g_screenMemory;
}

}  // namespace sdl
}  // namespace tavik
