// The message pump, key state, message boxes and the controlling program's window.
#include "platform/win32/operations.h"

namespace tavik::win32 {

namespace {

constexpr UINT kStopIcon = MB_ICONHAND;

HINSTANCE g_instance = nullptr;
HCURSOR g_arrow = nullptr;

}  // namespace

HINSTANCE Instance() {
    return g_instance != nullptr ? g_instance : GetModuleHandleA(nullptr);
}

HCURSOR ArrowCursor() {
    return g_arrow;
}

void SetInstance(HINSTANCE instance) {
    g_instance = instance;
    g_arrow = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

PumpResult PumpMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) return PumpResult::Empty;
    if (message.message == WM_QUIT) return PumpResult::Quit;
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return PumpResult::Dispatched;
}

// The player polls while it waits for a frame or a key; a millisecond's sleep keeps that from
// taking a whole processor while costing nothing noticeable in pacing.
void YieldProcessor() {
    Sleep(1);
}

bool KeyHeld(HeldKey key) {
    return (GetAsyncKeyState(key == HeldKey::Shift ? VK_SHIFT : VK_CONTROL) & 0x8000) != 0;
}

void ShowMessageBox(WindowRef owner, const char* text, const char* caption, bool stopIcon) {
    MessageBoxA(ToHwnd(owner), text != nullptr ? text : "", caption, stopIcon ? kStopIcon : 0);
}

// A number that does not name a live window is no controlling window.
WindowRef WindowFromNumber(uint32_t number) {
    const auto window = reinterpret_cast<HWND>(static_cast<uintptr_t>(number));
    return IsWindow(window) ? FromHwnd(window) : nullptr;
}

void WindowTitle(WindowRef window, char* title, uint32_t size) {
    if (title == nullptr || size == 0) return;
    title[0] = '\0';
    GetWindowTextA(ToHwnd(window), title, static_cast<int>(size));
}

intptr_t SendQuery(WindowRef window, uint32_t message) {
    return static_cast<intptr_t>(SendMessageA(ToHwnd(window), message, 0, 0));
}

void SendCopyData(WindowRef window, uint32_t id, const void* data, uint32_t count) {
    COPYDATASTRUCT copy{};
    copy.dwData = id;
    copy.cbData = count;
    copy.lpData = const_cast<void*>(data);
    SendMessageA(ToHwnd(window), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
}

}  // namespace tavik::win32
