// The mouse cursor, and the small probe window that tests whether direct writes survive under
// the visible cursor.
#include "platform/win32/operations.h"

namespace tavik::win32 {

namespace {

constexpr char kProbeClass[] = "MouseTypeWind";
constexpr int32_t kProbeSize = 32;

// Showing the probe activates it; the window that had the focus gets it back when the probe
// goes, so that a probe during playback (a new display buffer for the next movie) does not make
// the player think it lost the focus and pause.
HWND g_focusBeforeProbe = nullptr;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool HasMouse() {
    return GetSystemMetrics(SM_MOUSEPRESENT) != 0;
}

Point CursorPosition() {
    POINT at{};
    GetCursorPos(&at);
    return Point{at.x, at.y};
}

Point CursorSize() {
    return Point{GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR)};
}

int32_t ShowCursorCount(bool show) {
    return ShowCursor(show ? TRUE : FALSE);
}

CursorRef WindowCursor(WindowRef window) {
    auto cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(ToHwnd(window), GCLP_HCURSOR));
    if (cursor == nullptr) cursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    return reinterpret_cast<CursorRef>(cursor);
}

CursorRef SetCursorImage(CursorRef cursor) {
    return reinterpret_cast<CursorRef>(SetCursor(ToCursor(cursor)));
}

WindowRef CreateProbeWindow(Point at, CursorRef cursor) {
    WNDCLASSA probeClass{};
    probeClass.style = CS_NOCLOSE;
    probeClass.lpfnWndProc = ProbeWindowProc;
    probeClass.hInstance = Instance();
    probeClass.hCursor = ToCursor(cursor);
    probeClass.lpszClassName = kProbeClass;
    if (RegisterClassA(&probeClass) == 0) return nullptr;
    g_focusBeforeProbe = GetFocus();
    const HWND probe = CreateWindowExA(WS_EX_TOPMOST, kProbeClass, "", WS_POPUP | WS_VISIBLE,
                                       at.x - kProbeSize / 2, at.y - kProbeSize / 2, kProbeSize,
                                       kProbeSize, nullptr, nullptr, Instance(), nullptr);
    if (probe == nullptr) UnregisterClassA(kProbeClass, Instance());
    return FromHwnd(probe);
}

void DestroyProbeWindow(WindowRef probe) {
    if (probe == nullptr) return;
    DestroyWindow(ToHwnd(probe));
    UnregisterClassA(kProbeClass, Instance());
    if (g_focusBeforeProbe != nullptr && IsWindow(g_focusBeforeProbe)) {
        SetForegroundWindow(g_focusBeforeProbe);
        SetFocus(g_focusBeforeProbe);
    }
    g_focusBeforeProbe = nullptr;
}

uint32_t ReadPixel(WindowRef window, Point point) {
    const HDC dc = GetDC(ToHwnd(window));
    if (dc == nullptr) return 0;
    const COLORREF colour = GetPixel(dc, point.x, point.y);
    ReleaseDC(ToHwnd(window), dc);
    return colour;
}

void WritePixel(WindowRef window, Point point, uint32_t colour) {
    const HDC dc = GetDC(ToHwnd(window));
    if (dc == nullptr) return;
    SetPixel(dc, point.x, point.y, colour);
    ReleaseDC(ToHwnd(window), dc);
}

void PeekMessages() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

}  // namespace tavik::win32
