// The headless backend's windows: their frames and client areas, focus, painting, the event
// queue and message boxes.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "platform/headless/headless_ops.h"

namespace tavik {
namespace headless {

namespace {

// Insets of the window frame around the client area.
Rect Insets(const Window& w) {
    int32_t side = 0, top = 0;
    if (w.exStyle & kExStyleDialogFrame) side = 3;
    if (w.style & kStyleBorder) side += 1;
    if ((w.style & kStyleCaption) == kStyleCaption) top = 18;
    return Rect{side, side + top, side, side};
}

int g_icon = 0;

EventResult Deliver(Window* w, WindowEvent& event) {
    if (w == nullptr || w->handler == nullptr) return {true, 0};
    return w->handler(w->owner, As<PlatformWindowTag>(w), event);
}

void SendPaint(Window* w) {
    w->invalid = false;
    WindowEvent event;
    event.kind = WindowEventKind::Paint;
    const DrawRef draw = GetDrawContext(As<PlatformWindowTag>(w));
    event.draw = draw;
    Deliver(w, event);
    ReleaseDrawContext(As<PlatformWindowTag>(w), draw);
}

}  // namespace

// ---- Window queries ----
bool IsVisible(WindowRef w) {
    return S().Find(w) != nullptr && As<Window>(w)->visible;
}
bool IsForeground(WindowRef w) {
    for (Window* f = As<Window>(w); f != nullptr; f = f->parent) {
        if (f == S().foreground) return true;
    }
    return false;
}
WindowRef FocusWindow() {
    return As<PlatformWindowTag>(S().focus);
}
Point ClientToScreen(WindowRef ref, Point p) {
    Window* w = S().Find(ref);
    if (w == nullptr) return p;
    const Rect in = Insets(*w);
    return Point{w->frame.left + in.left + p.x, w->frame.top + in.top + p.y};
}
Point ScreenToClient(WindowRef ref, Point p) {
    const Point origin = ClientToScreen(ref, Point{0, 0});
    return Point{p.x - origin.x, p.y - origin.y};
}
Rect ClientRect(WindowRef ref) {
    Window* w = S().Find(ref);
    if (w == nullptr) return {};
    const Rect in = Insets(*w);
    return Rect{0, 0, w->frame.right - w->frame.left - in.left - in.right,
                w->frame.bottom - w->frame.top - in.top - in.bottom};
}
Rect WindowRect(WindowRef ref) {
    Window* w = S().Find(ref);
    return w != nullptr ? w->frame : Rect{};
}
WindowRef Parent(WindowRef ref) {
    Window* w = S().Find(ref);
    return w != nullptr ? As<PlatformWindowTag>(w->parent) : nullptr;
}
void Invalidate(WindowRef ref) {
    if (Window* w = S().Find(ref)) w->invalid = true;
}
bool IsWindow(WindowRef ref) {
    return S().Find(ref) != nullptr;
}

// ---- The player window ----
uint32_t InstanceId() {
    return S().config.instanceId;
}
IconRef LoadIcon() {
    ++S().liveIcons;
    return reinterpret_cast<IconRef>(&g_icon);
}
void DestroyIcon(IconRef) {
    --S().liveIcons;
}
bool RegisterWindowClass(const char* name, IconRef) {
    if (S().config.failRegisterClass || S().classes.count(name)) return false;
    S().classes.insert(name);
    return true;
}
void UnregisterWindowClass(const char* name) {
    S().classes.erase(name);
}
WindowRef CreateWindow(const WindowSpec& plan) {
    if (S().config.failWindow || plan.className == nullptr || !S().classes.count(plan.className)) {
        return nullptr;
    }
    auto w = std::make_unique<Window>();
    w->className = plan.className;
    w->title = plan.title != nullptr ? plan.title : "";
    w->style = plan.style;
    w->exStyle = plan.exStyle;
    w->frame = plan.frame;
    w->parent = S().Find(plan.parent);
    w->handler = plan.handler;
    w->owner = plan.owner;
    Window* raw = w.get();
    S().windows[raw] = std::move(w);
    return As<PlatformWindowTag>(raw);
}
void DestroyWindow(WindowRef ref) {
    Window* w = S().Find(ref);
    if (w == nullptr) return;
    WindowEvent event;
    event.kind = WindowEventKind::Destroy;
    Deliver(w, event);
    if (S().foreground == w) S().foreground = nullptr;
    if (S().focus == w) S().focus = nullptr;
    S().windows.erase(w);
}
void EnableMenuItem(WindowRef ref, uint32_t position, bool enabled) {
    if (Window* w = S().Find(ref); w != nullptr && position < 5) w->menuEnabled[position] = enabled;
}
void MoveWindow(WindowRef ref, int32_t x, int32_t y, int32_t width, int32_t height) {
    Window* w = S().Find(ref);
    if (w == nullptr) return;
    WindowEvent event;
    event.kind = WindowEventKind::PositionChanging;
    event.position = Point{x, y};
    Deliver(w, event);
    w->frame = Rect{event.position.x, event.position.y, event.position.x + width,
                    event.position.y + height};
    w->invalid = true;
}
void ShowWindow(WindowRef ref, ShowCommand command) {
    Window* w = S().Find(ref);
    if (w == nullptr) return;
    w->visible = command != ShowCommand::Hide;
    w->minimised = command == ShowCommand::Minimise;
    if (w->visible && !w->minimised) w->invalid = true;
}
void BringToFront(WindowRef ref) {
    if (Window* w = S().Find(ref)) S().foreground = S().focus = w;
}
void SetFocus(WindowRef ref) {
    S().focus = S().Find(ref);
}
void UpdateWindow(WindowRef ref) {
    Window* w = S().Find(ref);
    if (w != nullptr && w->invalid && w->visible && !w->minimised) SendPaint(w);
}
void SetTitle(WindowRef ref, const char* title) {
    if (Window* w = S().Find(ref)) w->title = title;
}
EventResult SendEvent(WindowRef ref, WindowEvent& event) {
    return Deliver(S().Find(ref), event);
}
void PostQuit() {
    S().quitPosted = true;
}

// ---- Messages ----
PumpResult PumpMessage() {
    Screen& s = S();
    if (s.quitPosted) {
        s.quitPosted = false;
        return PumpResult::Quit;
    }
    while (!s.queue.empty()) {
        auto [window, event] = s.queue.front();
        s.queue.pop_front();
        if (s.windows.count(window) == 0) continue;
        Deliver(window, event);
        return PumpResult::Dispatched;
    }
    for (auto& [raw, w] : s.windows) {
        if (w->invalid && w->visible && !w->minimised && w->handler != nullptr) {
            SendPaint(raw);
            return PumpResult::Dispatched;
        }
    }
    return PumpResult::Empty;
}
void Yield() {}
bool KeyHeld(HeldKey key) {
    return S().heldKeys.count(key) != 0;
}
void MessageBox(WindowRef, const char* text, const char* caption, bool stopIcon) {
    RecordMessage(caption, text, stopIcon);
    if (S().config.echoMessages) {
        std::string shown = text != nullptr ? text : "";
        shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
        std::printf("%s\n%s\n", caption != nullptr ? caption : "", shown.c_str());
        std::fflush(stdout);
    }
}

}  // namespace headless
}  // namespace tavik
