// The DISPDIB full-screen window and the desktop resolution.
//
// The full-screen window comes from DISPDIB.DLL, a library of 16- and 32-bit Windows; where it
// is missing (always in a 64-bit program, and under Wine) the full-screen methods fail cleanly
// at LoadLibrary(FullScreen).
#include <cstring>

#include "platform/win32/libraries.h"
#include "platform/win32/operations.h"

namespace tavik::win32 {

namespace {

constexpr char kFullScreenClass[] = "DisplayDibWindow";
constexpr UINT kCloseRequest = 0x0402;

// What the subclassed full-screen window needs: its own procedure and whom to tell.
struct FullScreenHook {
    WNDPROC original = nullptr;
    FullScreenHandler handler = nullptr;
    void* owner = nullptr;
};
constexpr char kHookProperty[] = "TavikFullScreenHook";

LRESULT CALLBACK FullScreenWindowHook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* hook = static_cast<FullScreenHook*>(GetPropA(window, kHookProperty));
    if (hook == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC original = hook->original;
    if (message == WM_ACTIVATE) {
        // Deactivation is told before the window lets go of the screen memory, so that the
        // picture can still be saved; activation after the window took it back.
        const bool activated = LOWORD(wParam) != WA_INACTIVE;
        if (!activated && hook->handler != nullptr) hook->handler(hook->owner, false);
        const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
        if (activated && hook->handler != nullptr) hook->handler(hook->owner, true);
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemovePropA(window, kHookProperty);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        delete hook;
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

}  // namespace

WindowRef CreateFullScreenWindow(WindowRef player, FullScreenHandler handler, void* owner) {
    const auto instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(ToHwnd(player), GWLP_HINSTANCE));
    const HWND window = CreateWindowExA(0, kFullScreenClass, "", WS_POPUP, 0, 0, 32, 32,
                                        ToHwnd(player), nullptr, instance, nullptr);
    if (window == nullptr) return nullptr;
    auto* hook = new FullScreenHook{nullptr, handler, owner};
    hook->original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetPropA(window, kHookProperty, hook);
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FullScreenWindowHook));
    return FromHwnd(window);
}

intptr_t SendFullScreenData(WindowRef fullScreen, uint32_t id, uint32_t count, const void* data) {
    COPYDATASTRUCT request{};
    request.dwData = id;
    request.cbData = count;
    request.lpData = const_cast<void*>(data);
    return SendMessageA(ToHwnd(fullScreen), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&request));
}

void CloseFullScreenWindow(WindowRef fullScreen) {
    ShowWindow(ToHwnd(fullScreen), SW_HIDE);
    SendMessageA(ToHwnd(fullScreen), kCloseRequest, 0, 0);
}

void ShowFullScreenTopmost(WindowRef fullScreen) {
    const Point screen = ScreenSize();
    SetWindowPos(ToHwnd(fullScreen), HWND_TOPMOST, 0, 0, screen.x, screen.y, SWP_SHOWWINDOW);
}

// The 320 x 200 screen memory of the old display adapters is only addressable by a 32-bit
// program running where DISPDIB exists; a 64-bit program has none, and the method fails.
uint8_t* FullScreenMemory() {
    if constexpr (sizeof(void*) == 4) {
        const DWORD major = GetVersion() & 0xFF;
        return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(major >= 4 ? 0xA0000 : 0xB0000));
    }
    return nullptr;
}

bool ChangeResolution(uint32_t width, uint32_t height) {
    auto change = DisplaySettingsCall();
    if (change == nullptr) return false;
    if (width == 0 && height == 0) return change(nullptr, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    return change(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace tavik::win32
