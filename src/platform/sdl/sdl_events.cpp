// The message pump: SDL's events turned into the player window's events.
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_state.h"
#include "platform/sdl/sdl_view.h"

namespace tavik {
namespace sdl {

namespace {

constexpr uint32_t kCommandMinimise = 0xF020;
constexpr uint32_t kCommandRestore = 0xF120;

// Keys and the close request of the full-screen window belong to the player window behind it.
SdlWindow* KeyTarget(Uint32 windowId) {
    SdlWindow* w = FindSdlWindow(windowId);
    if (w != nullptr && w->fullScreen && w->parent != nullptr) return w->parent;
    return w != nullptr ? w : PlayerWindow();
}

EventResult Send(SdlWindow* w, WindowEventKind kind, uint32_t code = 0) {
    WindowEvent event;
    event.kind = kind;
    event.code = code;
    return Deliver(w, event);
}

void WindowChange(const SDL_WindowEvent& e) {
    SdlWindow* w = FindSdlWindow(e.windowID);
    if (w == nullptr) return;
    switch (e.event) {
        case SDL_WINDOWEVENT_CLOSE:
            Send(KeyTarget(e.windowID), WindowEventKind::Close);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            if (w->fullScreen) {
                Present(w);
            } else {
                w->invalid = true;
            }
            break;
        case SDL_WINDOWEVENT_MOVED:
            if (!w->fullScreen && (e.data1 != w->frame.left || e.data2 != w->frame.top)) {
                w->frame =
                    Rect{e.data1, e.data2, e.data1 + w->store.width, e.data2 + w->store.height};
                w->invalid = true;
            }
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!w->fullScreen) ViewResized(w, e.data1, e.data2);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            w->minimised = true;
            if (!w->fullScreen) Send(w, WindowEventKind::SysCommand, kCommandMinimise);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            w->minimised = false;
            w->invalid = true;
            // The window manager has restored the window already; a handler that answers the
            // restore itself (the player behind the full-screen window) refuses it, so the
            // window goes back down.
            if (!w->fullScreen &&
                !Send(w, WindowEventKind::SysCommand, kCommandRestore).useDefault) {
                SDL_MinimizeWindow(w->window);
                w->minimised = true;
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (w->fullScreen) ActivateFullScreen(w, e.event == SDL_WINDOWEVENT_FOCUS_GAINED);
            break;
        default:
            break;
    }
}

void Dispatch(const SDL_Event& e) {
    switch (e.type) {
        case SDL_WINDOWEVENT:
            WindowChange(e.window);
            break;
        case SDL_KEYDOWN: {
            WindowEvent events[2];
            const int count = KeyPressEvents(e.key.keysym.sym, e.key.keysym.mod, events);
            SdlWindow* target = KeyTarget(e.key.windowID);
            for (int i = 0; i < count; ++i) Deliver(target, events[i]);
            break;
        }
        case SDL_TEXTINPUT: {
            uint32_t characters[SDL_TEXTINPUTEVENT_TEXT_SIZE];
            const int count = TextCharacters(e.text.text, SDL_GetModState(), characters,
                                             SDL_TEXTINPUTEVENT_TEXT_SIZE);
            SdlWindow* target = KeyTarget(e.text.windowID);
            for (int i = 0; i < count; ++i) Send(target, WindowEventKind::Char, characters[i]);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (e.button.button == SDL_BUTTON_LEFT && e.button.clicks == 2) {
                DoubleClicked(FindSdlWindow(e.button.windowID));
            }
            break;
        case SDL_DROPFILE:
            FileDropped(e.drop.file);
            SDL_free(e.drop.file);
            break;
        case SDL_MOUSEBUTTONUP:
            Send(KeyTarget(e.button.windowID), WindowEventKind::ButtonUp);
            break;
        case SDL_QUIT:
            // The whole program was asked to end (the last window's close box, a session end).
            Send(PlayerWindow(), WindowEventKind::Close);
            break;
        default:
            break;
    }
}

}  // namespace

PumpResult PumpMessage() {
    if (TakeQuit()) return PumpResult::Quit;
    RefreshFullScreen();
    SDL_Event event;
    if (SDL_PollEvent(&event)) {
        Dispatch(event);
        return PumpResult::Dispatched;
    }
    if (PaintOneInvalidWindow()) return PumpResult::Dispatched;
    return PumpResult::Empty;
}

void Yield() {
    SDL_Delay(1);
}

bool KeyHeld(HeldKey key) {
    const SDL_Keymod modifiers = SDL_GetModState();
    return (modifiers & (key == HeldKey::Shift ? KMOD_SHIFT : KMOD_CTRL)) != 0;
}

}  // namespace sdl
}  // namespace tavik
