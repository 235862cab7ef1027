// The player window: its class, creation, messages turned into WindowEvents, and the window
// queries of the display side.
#include <new>

#include "platform/win32/operations.h"
#include "platform/win32/view.h"

namespace tavik::win32 {

namespace {

constexpr int kIconResource = 101;
constexpr UINT kFullScreenNotice = 0x5A78;
constexpr LPARAM kAltContext = LPARAM{1} << 29;

// What a player window carries: its handler and the handler's owner.
struct WindowLink {
    WindowHandler handler;
    void* owner;
};

// The link of the window being created, until its WM_NCCREATE takes it over (the window then
// frees it at WM_NCDESTROY); one left here after creation was never taken.
WindowLink* g_pendingLink = nullptr;

WindowLink* LinkOf(HWND window) {
    return reinterpret_cast<WindowLink*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Gives the event to the window's handler; the answer, or the default handling's.
LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, WindowEvent& event) {
    WindowLink* link = LinkOf(window);
    if (link == nullptr || link->handler == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    const EventResult result = link->handler(link->owner, FromHwnd(window), event);
    if (result.useDefault) return DefWindowProcA(window, message, wParam, lParam);
    return static_cast<LRESULT>(result.value);
}

// Turns the messages the player handles into events; everything else gets the default.
LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowEvent event;
    LRESULT answered = 0;
    if (ViewMessage(window, message, wParam, lParam, &answered)) return answered;
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g_pendingLink));
            g_pendingLink = nullptr;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_NCDESTROY: {
            ViewWindowGone(window);
            delete LinkOf(window);
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            return DefWindowProcA(window, message, wParam, lParam);
        }
        case WM_DESTROY:
            event.kind = WindowEventKind::Destroy;
            return Deliver(window, message, wParam, lParam, event);
        case WM_PAINT: {
            PAINTSTRUCT paint;
            const HDC dc = BeginPaint(window, &paint);
            // A scaled window is painted into the view's picture, which then shows in it.
            const HDC picture = ViewDrawContext(window);
            event.kind = WindowEventKind::Paint;
            event.draw = reinterpret_cast<DrawRef>(picture != nullptr ? picture : dc);
            WindowLink* link = LinkOf(window);
            if (link != nullptr && link->handler != nullptr)
                link->handler(link->owner, FromHwnd(window), event);
            if (picture != nullptr) ViewPresent(window, dc);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_CLOSE:
            event.kind = WindowEventKind::Close;
            return Deliver(window, message, wParam, lParam, event);
        case WM_QUERYENDSESSION:
            event.kind = WindowEventKind::QueryEndSession;
            return Deliver(window, message, wParam, lParam, event);
        case WM_ERASEBKGND:
            event.kind = WindowEventKind::EraseBackground;
            return Deliver(window, message, wParam, lParam, event);
        case WM_WINDOWPOSCHANGING: {
            if (ViewPlacesWindow()) return DefWindowProcA(window, message, wParam, lParam);
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            event.kind = WindowEventKind::PositionChanging;
            event.noMove = (position->flags & SWP_NOMOVE) != 0;
            event.position = Point{position->x, position->y};
            const LRESULT result = Deliver(window, message, wParam, lParam, event);
            if (!event.noMove) {
                position->x = event.position.x;
                position->y = event.position.y;
            }
            return result;
        }
        case WM_NCHITTEST:
            event.kind = WindowEventKind::HitTest;
            return Deliver(window, message, wParam, lParam, event);
        case WM_KEYDOWN:
        case WM_CHAR:
        case WM_SYSKEYDOWN:
            event.kind = message == WM_KEYDOWN ? WindowEventKind::KeyDown
                         : message == WM_CHAR  ? WindowEventKind::Char
                                               : WindowEventKind::SysKeyDown;
            event.code = static_cast<uint32_t>(wParam);
            event.altContext = (lParam & kAltContext) != 0;
            return Deliver(window, message, wParam, lParam, event);
        case WM_SYSCOMMAND:
            event.kind = WindowEventKind::SysCommand;
            event.code = static_cast<uint32_t>(wParam);
            return Deliver(window, message, wParam, lParam, event);
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            event.kind = WindowEventKind::ButtonUp;
            return Deliver(window, message, wParam, lParam, event);
        case WM_QUERYNEWPALETTE:
            event.kind = WindowEventKind::QueryNewPalette;
            return Deliver(window, message, wParam, lParam, event);
        case WM_PALETTECHANGED:
            event.kind = WindowEventKind::PaletteChanged;
            event.other = FromHwnd(reinterpret_cast<HWND>(wParam));
            return Deliver(window, message, wParam, lParam, event);
        case kFullScreenNotice:
            event.kind = WindowEventKind::FullScreenNotice;
            event.code = wParam != 0 ? 1 : 0;
            return Deliver(window, message, wParam, lParam, event);
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

Rect ToRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

}  // namespace

bool IsVisible(WindowRef window) {
    return IsWindowVisible(ToHwnd(window)) != 0;
}

// A window showing the view's picture counts as covered: the display then draws it through the
// window system (into the picture), never straight onto the screen.
bool IsForeground(WindowRef window) {
    if (ViewRefusesDirectWrites()) return false;
    const HWND foreground = GetForegroundWindow();
    return foreground != nullptr &&
           (foreground == ToHwnd(window) || IsChild(foreground, ToHwnd(window)));
}

WindowRef FocusWindow() {
    return FromHwnd(GetFocus());
}

Point ClientToScreenPoint(WindowRef window, Point point) {
    POINT p{point.x, point.y};
    ClientToScreen(ToHwnd(window), &p);
    return Point{p.x, p.y};
}

Point ScreenToClientPoint(WindowRef window, Point point) {
    POINT p{point.x, point.y};
    ScreenToClient(ToHwnd(window), &p);
    return Point{p.x, p.y};
}

Rect ClientRect(WindowRef window) {
    RECT r{};
    GetClientRect(ToHwnd(window), &r);
    return ToRect(r);
}

Rect WindowRect(WindowRef window) {
    RECT r{};
    GetWindowRect(ToHwnd(window), &r);
    return ToRect(r);
}

WindowRef Parent(WindowRef window) {
    return FromHwnd(GetParent(ToHwnd(window)));
}

void Invalidate(WindowRef window) {
    InvalidateRect(ToHwnd(window), nullptr, FALSE);
}

bool IsWindowAlive(WindowRef window) {
    return window != nullptr && IsWindow(ToHwnd(window)) != 0;
}

uint32_t InstanceId() {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(Instance()) & 0xFFFF);
}

IconRef LoadProgramIcon() {
    // Loaded as the program's own copy (not shared), so that destroying it is right.
    return reinterpret_cast<IconRef>(
        LoadImageA(Instance(), MAKEINTRESOURCEA(kIconResource), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

void DestroyProgramIcon(IconRef icon) {
    if (icon != nullptr) DestroyIcon(reinterpret_cast<HICON>(icon));
}

bool RegisterWindowClass(const char* className, IconRef icon) {
    WNDCLASSA windowClass{};
    windowClass.style = 0;
    windowClass.lpfnWndProc = PlayerWindowProc;
    windowClass.hInstance = Instance();
    windowClass.hIcon = reinterpret_cast<HICON>(icon);
    windowClass.hCursor = ArrowCursor();
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

void UnregisterWindowClass(const char* className) {
    UnregisterClassA(className, Instance());
}

WindowRef CreatePlayerWindow(const WindowSpec& plan) {
    g_pendingLink = new (std::nothrow) WindowLink{plan.handler, plan.owner};
    if (g_pendingLink == nullptr) return nullptr;
    const HWND window =
        CreateWindowExA(plan.exStyle, plan.className, plan.title != nullptr ? plan.title : "",
                        ViewWindowStyle(plan.style), plan.frame.left, plan.frame.top,
                        plan.frame.right - plan.frame.left, plan.frame.bottom - plan.frame.top,
                        ToHwnd(plan.parent), nullptr, Instance(), nullptr);
    delete g_pendingLink;
    g_pendingLink = nullptr;
    if (window != nullptr) ViewWindowCreated(window);
    return FromHwnd(window);
}

void DestroyPlayerWindow(WindowRef window) {
    DestroyWindow(ToHwnd(window));
}

void EnableSystemMenuItem(WindowRef window, uint32_t position, bool enabled) {
    const HMENU menu = GetSystemMenu(ToHwnd(window), FALSE);
    if (menu != nullptr) {
        EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void MoveWindowTo(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (ViewMove(ToHwnd(window), x, y, width, height)) return;
    MoveWindow(ToHwnd(window), x, y, width, height, TRUE);
}

void ShowWindowAs(WindowRef window, ShowCommand command) {
    const int show = command == ShowCommand::Hide   ? SW_HIDE
                     : command == ShowCommand::Show ? SW_SHOW
                                                    : SW_MINIMIZE;
    ShowWindow(ToHwnd(window), show);
}

void BringToFront(WindowRef window) {
    SetForegroundWindow(ToHwnd(window));
    SetActiveWindow(ToHwnd(window));
    SetFocus(ToHwnd(window));
}

void SetFocusTo(WindowRef window) {
    SetFocus(ToHwnd(window));
}

void UpdateWindowNow(WindowRef window) {
    UpdateWindow(ToHwnd(window));
}

void SetTitle(WindowRef window, const char* title) {
    SetWindowTextA(ToHwnd(window), title != nullptr ? title : "");
}

// The full-screen notice is a real message (the full-screen window's activation sends it);
// other events go straight to the window's handler.
EventResult SendEvent(WindowRef window, WindowEvent& event) {
    if (event.kind == WindowEventKind::FullScreenNotice) {
        const LRESULT answer = SendMessageA(ToHwnd(window), kFullScreenNotice, event.code, 0);
        return EventResult{false, static_cast<intptr_t>(answer)};
    }
    WindowLink* link = IsWindowAlive(window) ? LinkOf(ToHwnd(window)) : nullptr;
    if (link == nullptr || link->handler == nullptr) return EventResult{true, 0};
    return link->handler(link->owner, window, event);
}

void PostQuit() {
    PostQuitMessage(0);
}

}  // namespace tavik::win32
