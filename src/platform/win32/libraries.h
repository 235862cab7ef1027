// Facilities found at run time: DIB sections in GDI32, WinG, DirectDraw, DISPDIB and the
// display-settings call of USER32. Each is looked up when the display side asks for it; a
// missing one only removes what needs it.
#pragma once

#include "platform/win32/windows_api.h"

namespace tavik::win32 {

struct DibSectionFunctions {
    HBITMAP(WINAPI* createDibSection)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
    UINT(WINAPI* setDibColorTable)(HDC, UINT, UINT, const RGBQUAD*);
};

struct WinGFunctions {
    HMODULE module;
    HDC(WINAPI* createDc)();
    BOOL(WINAPI* recommendDibFormat)(BITMAPINFO*);
    HBITMAP(WINAPI* createBitmap)(HDC, const BITMAPINFO*, void**);
    BOOL(WINAPI* bitBlt)(HDC, int, int, int, int, HDC, int, int);
    BOOL(WINAPI* stretchBlt)(HDC, int, int, int, int, HDC, int, int, int, int);
    UINT(WINAPI* setDibColorTable)(HDC, UINT, UINT, const RGBQUAD*);
};

struct DirectDrawFunctions {
    HMODULE module;
    HRESULT(WINAPI* create)(GUID*, void**, IUnknown*);
};

// What has been found so far (all null until loaded).
const DibSectionFunctions& DibSections();
const WinGFunctions& WinG();
const DirectDrawFunctions& DirectDraw();
LONG(WINAPI* DisplaySettingsCall())(DEVMODEA*, DWORD);

bool LoadFacility(DisplayLibrary library);
void FreeFacility(DisplayLibrary library);

}  // namespace tavik::win32
