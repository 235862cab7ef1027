// What the view does on request: full screen, the overlay, the volume, dropped files, and the
// messages it answers (sizing, double clicks, dropped files).
#include <cstdlib>
#include <cstring>

#include "platform/win32/view.h"
#include "platform/win32/view_state.h"
#include "tavik/sound.h"
// After windows.h (through view.h), which they need:
#include <shellapi.h>
#include <shlobj.h>

namespace tavik::win32 {

namespace {

constexpr DWORD kOverlayMs = 1500;
constexpr LONG kFrameStyles = WS_CAPTION | WS_THICKFRAME;
constexpr LONG kFrameExStyles =
    WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;

// The tests' stand-in for a file dropped on the window: a real drop, posted at the start.
void PostTestDrop(HWND window) {
    static bool posted = false;
    const char* name = std::getenv("TAVIK_WIN32_TEST_DROP");
    if (posted || name == nullptr || *name == '\0') return;
    posted = true;
    const size_t length = std::strlen(name);
    const HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + length + 2);
    auto* files = drop != nullptr ? static_cast<DROPFILES*>(GlobalLock(drop)) : nullptr;
    if (files == nullptr) {
        if (drop != nullptr) GlobalFree(drop);
        return;
    }
    files->pFiles = sizeof(DROPFILES);
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), name, length);
    GlobalUnlock(drop);
    if (!PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) GlobalFree(drop);
}

void TakeDrop(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::string name(DragQueryFileA(drop, i, nullptr, 0) + 1, '\0');
        name.resize(DragQueryFileA(drop, i, name.data(), static_cast<UINT>(name.size())));
        if (!name.empty()) View().dropped.push_back(name);
    }
    DragFinish(drop);
}

// Two presses of the left button within the system's double-click time and distance. The
// window's class asks for no double clicks (the player's never did), so they are told here.
bool SecondClick(LPARAM position) {
    ViewState& v = View();
    const DWORD now = static_cast<DWORD>(GetMessageTime());
    const POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    const bool second = v.lastClickTime != 0 && now - v.lastClickTime <= GetDoubleClickTime() &&
                        std::abs(at.x - v.lastClick.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                        std::abs(at.y - v.lastClick.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    v.lastClickTime = second ? 0 : (now != 0 ? now : 1);
    v.lastClick = at;
    return second;
}

void Present() {
    const ViewState& v = View();
    if (v.scaled) ViewPresent(v.window, nullptr);
}

}  // namespace

void ViewWindowCreated(HWND window) {
    ViewState& v = View();
    if (!v.enabled) return;
    v.window = window;
    RECT frame{}, client{};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    v.extra =
        SIZE{(frame.right - frame.left) - client.right, (frame.bottom - frame.top) - client.bottom};
    v.logical = v.placedClient = SIZE{client.right, client.bottom};
    DragAcceptFiles(window, TRUE);
    PostTestDrop(window);
}

bool ViewPlacesWindow() {
    return View().bypassPlayer;
}

bool ViewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    ViewState& v = View();
    if (!v.enabled || window != v.window) return false;
    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && !v.placing && !v.fullScreen &&
                (LOWORD(lParam) != v.placedClient.cx || HIWORD(lParam) != v.placedClient.cy)) {
                v.userSized = true;
            }
            UpdateViewMode();
            if (v.scaled) InvalidateRect(window, nullptr, FALSE);
            return false;
        case WM_LBUTTONDOWN:
            if (SecondClick(lParam)) ToggleFullScreen();
            return false;
        case WM_DROPFILES:
            TakeDrop(reinterpret_cast<HDROP>(wParam));
            *result = 0;
            return true;
        default:
            return false;
    }
}

void SetViewOptions(const ViewOptions& options) {
    View().enabled = true;
    View().options = options;
}

// Full screen: the window loses its frame and covers its monitor; back, it gets its frame,
// place and size again (or, after the player placed it anew meanwhile, that place).
void ToggleFullScreen() {
    ViewState& v = View();
    if (!v.enabled || v.window == nullptr) return;
    v.placing = v.bypassPlayer = true;
    if (!v.fullScreen) {
        GetWindowRect(v.window, &v.restoreFrame);
        v.restoreStyle = GetWindowLongA(v.window, GWL_STYLE);
        v.restoreExStyle = GetWindowLongA(v.window, GWL_EXSTYLE);
        v.logicalAtFullScreen = v.logical;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(v.window, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& m = monitor.rcMonitor;
        v.fullScreen = true;
        SetWindowLongA(v.window, GWL_STYLE, (v.restoreStyle & ~kFrameStyles) | WS_POPUP);
        SetWindowLongA(v.window, GWL_EXSTYLE, v.restoreExStyle & ~kFrameExStyles);
        SetWindowPos(v.window, HWND_TOP, m.left, m.top, m.right - m.left, m.bottom - m.top,
                     SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    } else {
        v.fullScreen = false;
        SetWindowLongA(v.window, GWL_STYLE, v.restoreStyle);
        SetWindowLongA(v.window, GWL_EXSTYLE, v.restoreExStyle);
        const RECT& r = v.restoreFrame;
        SetWindowPos(v.window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
        if (v.logical.cx != v.logicalAtFullScreen.cx || v.logical.cy != v.logicalAtFullScreen.cy)
            PlaceRequested();
    }
    v.placing = v.bypassPlayer = false;
    UpdateViewMode();
    InvalidateRect(v.window, nullptr, FALSE);
}

void ShowOverlay(const OverlayState& overlay) {
    ViewState& v = View();
    if (!v.enabled || v.window == nullptr) return;
    v.overlay = overlay;
    v.overlayShown = true;
    v.overlayUntil = GetTickCount() + kOverlayMs;
    UpdateViewMode();
    Present();
}

void RefreshView() {
    ViewState& v = View();
    if (!v.overlayShown || static_cast<LONG>(GetTickCount() - v.overlayUntil) < 0) return;
    v.overlayShown = false;
    UpdateViewMode();
    Present();
}

void SetVolume(int32_t percent) {
    TavikSetOutputVolume(static_cast<uint32_t>(percent < 0 ? 0 : percent));
}

std::string TakeDroppedFile() {
    ViewState& v = View();
    if (v.dropped.empty()) return "";
    std::string name = v.dropped.front();
    v.dropped.pop_front();
    return name;
}

}  // namespace tavik::win32
