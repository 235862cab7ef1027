// The Windows headers as the win32 backend uses them.
//
// windows.h defines a few macros that clash with names of the platform table (LoadLibrary,
// CreateWindow, MessageBox, LoadIcon, Yield); they are undefined here, and the backend calls
// the "A" functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs:
#include <mmsystem.h>

#undef LoadLibrary
#undef CreateWindow
#undef MessageBox
#undef LoadIcon
#undef Yield

#include <cstdint>

#include "platform/platform.h"

namespace tavik::win32 {

// The table's opaque handles are the Windows handles themselves.
inline HWND ToHwnd(WindowRef window) {
    return reinterpret_cast<HWND>(window);
}
inline WindowRef FromHwnd(HWND window) {
    return reinterpret_cast<WindowRef>(window);
}
inline HDC ToHdc(DrawRef draw) {
    return reinterpret_cast<HDC>(draw);
}
inline HPALETTE ToPalette(PaletteRef palette) {
    return reinterpret_cast<HPALETTE>(palette);
}
inline HCURSOR ToCursor(CursorRef cursor) {
    return reinterpret_cast<HCURSOR>(cursor);
}

// The program's instance and the standard arrow cursor, kept by the entry.
HINSTANCE Instance();
HCURSOR ArrowCursor();
void SetInstance(HINSTANCE instance);

// The screen's device context for a short query; released by the destructor.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// Loads an optional system library with the error box for a missing file suppressed.
HMODULE LoadOptionalLibrary(const char* name);

// A procedure of a loaded module as a typed function pointer (null when missing).
template <typename Function>
Function FindProcedure(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tavik::win32
