// Windows: the player window over an SDL window with a renderer and a streaming texture, its
// placement, showing and queries.
//
// SDL places and sizes a window's client area; whatever frame the window manager adds lies
// outside it. So a window's rectangle here is its client area: the client offsets are 0 and
// the player's placement arithmetic positions the client area itself. Of the window styles SDL
// can express only "with or without a frame": a caption gives a decorated window, no caption
// a borderless one; the thin and dialog frames are the window manager's business.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"
#include "platform/sdl/sdl_view.h"

namespace tavik {
namespace sdl {

namespace {

std::vector<std::unique_ptr<SdlWindow>> g_windows;
std::set<std::string> g_classes;
bool g_quitPosted = false;
int g_icon = 0;

void DestroySdlParts(SdlWindow* w) {
    if (w->texture != nullptr) SDL_DestroyTexture(w->texture);
    if (w->renderer != nullptr) SDL_DestroyRenderer(w->renderer);
    if (w->window != nullptr) SDL_DestroyWindow(w->window);
    w->texture = nullptr;
    w->renderer = nullptr;
    w->window = nullptr;
}

void SendPaint(SdlWindow* w) {
    w->invalid = false;
    WindowEvent event;
    event.kind = WindowEventKind::Paint;
    const DrawRef draw = GetDrawContext(RefOf(w));
    event.draw = draw;
    Deliver(w, event);
    ReleaseDrawContext(RefOf(w), draw);
}

}  // namespace

std::vector<std::unique_ptr<SdlWindow>>& Windows() {
    return g_windows;
}

SdlWindow* FindWindow(WindowRef ref) {
    for (auto& w : g_windows) {
        if (RefOf(w.get()) == ref) return w.get();
    }
    return nullptr;
}

SdlWindow* FindSdlWindow(Uint32 sdlWindowId) {
    for (auto& w : g_windows) {
        if (w->window != nullptr && SDL_GetWindowID(w->window) == sdlWindowId) return w.get();
    }
    return nullptr;
}

SdlWindow* PlayerWindow() {
    for (auto& w : g_windows) {
        if (!w->fullScreen) return w.get();
    }
    return nullptr;
}

WindowRef RefOf(SdlWindow* window) {
    return reinterpret_cast<WindowRef>(window);
}

EventResult Deliver(SdlWindow* w, WindowEvent& event) {
    if (w == nullptr || w->handler == nullptr) return {true, 0};
    return w->handler(w->owner, RefOf(w), event);
}

bool TakeQuit() {
    const bool posted = g_quitPosted;
    g_quitPosted = false;
    return posted;
}

bool PaintOneInvalidWindow() {
    for (auto& w : g_windows) {
        if (w->invalid && w->visible && !w->minimised && w->handler != nullptr) {
            SendPaint(w.get());
            return true;
        }
    }
    return false;
}

// A renderer for a new window: SDL's choice (the software one unless the user asked for
// another through SDL_RENDER_DRIVER), without waiting for the vertical retrace, which would
// hold up the player's own pacing.
SDL_Renderer* MakeRenderer(SDL_Window* window) {
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    return renderer;
}

void MoveClientArea(SdlWindow* w, int32_t x, int32_t y, int32_t width, int32_t height) {
    w->frame = Rect{x, y, x + width, y + height};
    const bool full = w->window != nullptr &&
                      (SDL_GetWindowFlags(w->window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (w->window != nullptr && !w->userSized && !full) {
        const SDL_Rect view = ViewFrame(x, y, std::max(width, 1), std::max(height, 1));
        w->viewWidth = view.w;
        w->viewHeight = view.h;
        SDL_SetWindowPosition(w->window, view.x, view.y);
        SDL_SetWindowSize(w->window, view.w, view.h);
        w->frame = Rect{view.x, view.y, view.x + width, view.y + height};
    }
    if (width != w->store.width || height != w->store.height) w->store.Resize(width, height);
    w->invalid = true;
}

// ---- Window queries ----
bool IsVisible(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr && w->visible;
}
bool IsForeground(WindowRef ref) {
    SdlWindow* focus = FindWindow(FocusWindow());
    for (SdlWindow* w = FindWindow(ref); w != nullptr; w = w->parent) {
        if (w == focus) return true;
    }
    return false;
}
WindowRef FocusWindow() {
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus != nullptr ? RefOf(FindSdlWindow(SDL_GetWindowID(focus))) : nullptr;
}
Point ClientToScreen(WindowRef ref, Point p) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr ? Point{w->frame.left + p.x, w->frame.top + p.y} : p;
}
Point ScreenToClient(WindowRef ref, Point p) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr ? Point{p.x - w->frame.left, p.y - w->frame.top} : p;
}
Rect ClientRect(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr ? Rect{0, 0, w->store.width, w->store.height} : Rect{};
}
Rect WindowRect(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr ? w->frame : Rect{};
}
WindowRef Parent(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    return w != nullptr ? RefOf(w->parent) : nullptr;
}
void Invalidate(WindowRef ref) {
    if (SdlWindow* w = FindWindow(ref)) w->invalid = true;
}
bool IsWindow(WindowRef ref) {
    return FindWindow(ref) != nullptr;
}

// ---- The player window ----
uint32_t InstanceId() {
    return static_cast<uint32_t>(getpid()) & 0xFFFF;
}
// SDL windows take the window manager's default icon; the token only keeps the bookkeeping.
IconRef LoadIcon() {
    return reinterpret_cast<IconRef>(&g_icon);
}
void DestroyIcon(IconRef) {}
bool RegisterWindowClass(const char* className, IconRef) {
    return className != nullptr && g_classes.insert(className).second;
}
void UnregisterWindowClass(const char* className) {
    if (className != nullptr) g_classes.erase(className);
}

WindowRef CreateWindow(const WindowSpec& plan) {
    if (plan.className == nullptr || g_classes.count(plan.className) == 0) return nullptr;
    const int32_t width = std::max(plan.frame.right - plan.frame.left, 1);
    const int32_t height = std::max(plan.frame.bottom - plan.frame.top, 1);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    if ((plan.style & kStyleCaption) != kStyleCaption) flags |= SDL_WINDOW_BORDERLESS;
    auto w = std::make_unique<SdlWindow>();
    w->window = SDL_CreateWindow(plan.title != nullptr ? plan.title : "", plan.frame.left,
                                 plan.frame.top, width, height, flags);
    if (w->window != nullptr) w->renderer = MakeRenderer(w->window);
    if (w->renderer == nullptr) {
        DestroySdlParts(w.get());
        return nullptr;
    }
    w->frame =
        Rect{plan.frame.left, plan.frame.top, plan.frame.left + width, plan.frame.top + height};
    w->store.Resize(width, height);
    w->parent = FindWindow(plan.parent);
    w->handler = plan.handler;
    w->owner = plan.owner;
    g_windows.push_back(std::move(w));
    return RefOf(g_windows.back().get());
}

void DestroyWindow(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr) return;
    WindowEvent event;
    event.kind = WindowEventKind::Destroy;
    Deliver(w, event);
    for (auto& other : g_windows) {
        if (other->parent == w) other->parent = nullptr;
    }
    DestroySdlParts(w);
    g_windows.erase(std::find_if(g_windows.begin(), g_windows.end(),
                                 [w](const auto& p) { return p.get() == w; }));
}

// SDL has no system menu; the items' states are only kept.
void EnableMenuItem(WindowRef ref, uint32_t position, bool enabled) {
    SdlWindow* w = FindWindow(ref);
    if (w != nullptr && position < 5) w->menuEnabled[position] = enabled;
}

void MoveWindow(WindowRef ref, int32_t x, int32_t y, int32_t width, int32_t height) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr) return;
    WindowEvent event;
    event.kind = WindowEventKind::PositionChanging;
    event.position = Point{x, y};
    Deliver(w, event);
    MoveClientArea(w, event.position.x, event.position.y, width, height);
}

void ShowWindow(WindowRef ref, ShowCommand command) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr || w->window == nullptr) return;
    switch (command) {
        case ShowCommand::Hide:
            SDL_HideWindow(w->window);
            w->visible = false;
            break;
        case ShowCommand::Show:
            SDL_ShowWindow(w->window);
            if (w->minimised) SDL_RestoreWindow(w->window);
            w->visible = true;
            w->minimised = false;
            w->invalid = true;
            break;
        case ShowCommand::Minimise:
            SDL_ShowWindow(w->window);
            SDL_MinimizeWindow(w->window);
            w->visible = true;
            w->minimised = true;
            break;
    }
}

void BringToFront(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (w == nullptr || w->window == nullptr) return;
    if (w->minimised) SDL_RestoreWindow(w->window);
    SDL_RaiseWindow(w->window);
    SDL_SetWindowInputFocus(w->window);
}

void SetFocus(WindowRef ref) {
    BringToFront(ref);
}

void UpdateWindow(WindowRef ref) {
    SdlWindow* w = FindWindow(ref);
    if (w != nullptr && w->invalid && w->visible && !w->minimised) SendPaint(w);
}

void SetTitle(WindowRef ref, const char* title) {
    SdlWindow* w = FindWindow(ref);
    if (w != nullptr && w->window != nullptr) SDL_SetWindowTitle(w->window, title);
}

EventResult SendEvent(WindowRef ref, WindowEvent& event) {
    return Deliver(FindWindow(ref), event);
}

void PostQuit() {
    g_quitPosted = true;
}

}  // namespace sdl
}  // namespace tavik
