#include "platform/win32/libraries.h"

namespace tavik::win32 {

namespace {

DibSectionFunctions g_dib{};
WinGFunctions g_wing{};
DirectDrawFunctions g_directDraw{};
HMODULE g_dispDib = nullptr;
LONG(WINAPI* g_changeDisplaySettings)(DEVMODEA*, DWORD) = nullptr;

constexpr char kFullScreenClass[] = "DisplayDibWindow";

// A 32-bit extension running on Windows 3.x has the GDI entries but not their behaviour.
bool OnWin32Extension() {
    return (GetVersion() & 0x800000FFu) == 0x80000003u;
}

bool LoadDibSections() {
    if (OnWin32Extension()) return false;
    const HMODULE gdi = GetModuleHandleA("GDI32");
    g_dib.createDibSection =
        FindProcedure<decltype(g_dib.createDibSection)>(gdi, "CreateDIBSection");
    g_dib.setDibColorTable =
        FindProcedure<decltype(g_dib.setDibColorTable)>(gdi, "SetDIBColorTable");
    return g_dib.createDibSection != nullptr && g_dib.setDibColorTable != nullptr;
}

bool LoadWinG() {
    if (g_wing.module == nullptr) g_wing.module = LoadOptionalLibrary("WING32.DLL");
    const HMODULE m = g_wing.module;
    g_wing.createDc = FindProcedure<decltype(g_wing.createDc)>(m, "WinGCreateDC");
    g_wing.recommendDibFormat =
        FindProcedure<decltype(g_wing.recommendDibFormat)>(m, "WinGRecommendDIBFormat");
    g_wing.createBitmap = FindProcedure<decltype(g_wing.createBitmap)>(m, "WinGCreateBitmap");
    g_wing.bitBlt = FindProcedure<decltype(g_wing.bitBlt)>(m, "WinGBitBlt");
    g_wing.stretchBlt = FindProcedure<decltype(g_wing.stretchBlt)>(m, "WinGStretchBlt");
    g_wing.setDibColorTable =
        FindProcedure<decltype(g_wing.setDibColorTable)>(m, "WinGSetDIBColorTable");
    return g_wing.createDc != nullptr && g_wing.recommendDibFormat != nullptr &&
           g_wing.createBitmap != nullptr && g_wing.bitBlt != nullptr &&
           g_wing.stretchBlt != nullptr && g_wing.setDibColorTable != nullptr;
}

bool LoadDirectDraw() {
    if (g_directDraw.module == nullptr) g_directDraw.module = LoadOptionalLibrary("DDRAW.DLL");
    g_directDraw.create =
        FindProcedure<decltype(g_directDraw.create)>(g_directDraw.module, "DirectDrawCreate");
    return g_directDraw.create != nullptr;
}

// The library registers the full-screen window class when it loads; it stays loaded.
bool LoadDispDib() {
    if (g_dispDib == nullptr) g_dispDib = LoadOptionalLibrary("DISPDIB.DLL");
    if (g_dispDib == nullptr) return false;
    WNDCLASSA info;
    return GetClassInfoA(g_dispDib, kFullScreenClass, &info) != 0 ||
           GetClassInfoA(nullptr, kFullScreenClass, &info) != 0;
}

bool LoadDisplaySettings() {
    if (g_changeDisplaySettings == nullptr) {
        g_changeDisplaySettings = FindProcedure<decltype(g_changeDisplaySettings)>(
            GetModuleHandleA("user32.dll"), "ChangeDisplaySettingsA");
    }
    return g_changeDisplaySettings != nullptr;
}

void Release(HMODULE& module) {
    if (module != nullptr) FreeLibrary(module);
    module = nullptr;
}

}  // namespace

HMODULE LoadOptionalLibrary(const char* name) {
    const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    const HMODULE module = LoadLibraryA(name);
    SetErrorMode(previous);
    return module;
}

const DibSectionFunctions& DibSections() {
    return g_dib;
}
const WinGFunctions& WinG() {
    return g_wing;
}
const DirectDrawFunctions& DirectDraw() {
    return g_directDraw;
}
LONG(WINAPI* DisplaySettingsCall())(DEVMODEA*, DWORD) {
    return g_changeDisplaySettings;
}

bool LoadFacility(DisplayLibrary library) {
    switch (library) {
        case DisplayLibrary::DibSections:
            return LoadDibSections();
        case DisplayLibrary::WinG:
            return LoadWinG();
        case DisplayLibrary::DirectDraw:
            return LoadDirectDraw();
        case DisplayLibrary::FullScreen:
            return LoadDispDib();
        case DisplayLibrary::DisplaySettings:
            return LoadDisplaySettings();
    }
    return false;
}

void FreeFacility(DisplayLibrary library) {
    if (library == DisplayLibrary::WinG) {
        Release(g_wing.module);
        g_wing = WinGFunctions{};
    } else if (library == DisplayLibrary::DirectDraw) {
        Release(g_directDraw.module);
        g_directDraw = DirectDrawFunctions{};
    }
}

}  // namespace tavik::win32
