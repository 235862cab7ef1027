#include "platform/win32/libraries.h"
#include "platform/win32/operations.h"
#include "platform/win32/win32_platform.h"

namespace tavik {

namespace {

using namespace win32;

constexpr PlatformOps kOps = {
    "win32",
    ScreenDepth,
    ReservedColours,
    PaletteHasStatics,
    ReadSystemPalette,
    FlushSystemPalette,
    ScreenSize,
    WorkArea,
    LoadFacility,
    FreeFacility,
    WinGBottomUp,
    CreateOffscreen,
    CreateOffscreenBitmap,
    DestroyOffscreenBitmap,
    DestroyOffscreen,
    SetOffscreenColours,
    GetDrawContext,
    ReleaseDrawContext,
    DrawBits,
    CopyOffscreen,
    StretchOffscreen,
    FillBlack,
    CreateLogicalPalette,
    DeleteLogicalPalette,
    SelectForegroundPalette,
    RealizeSelectedPalette,
    IsVisible,
    IsForeground,
    FocusWindow,
    ClientToScreenPoint,
    ScreenToClientPoint,
    ClientRect,
    WindowRect,
    Parent,
    Invalidate,
    IsWindowAlive,
    OpenPrimary,
    PrimaryFormat,
    LockPrimary,
    RestorePrimary,
    UnlockPrimary,
    ClosePrimary,
    HasMouse,
    CursorPosition,
    CursorSize,
    ShowCursorCount,
    WindowCursor,
    SetCursorImage,
    CreateProbeWindow,
    DestroyProbeWindow,
    ReadPixel,
    WritePixel,
    PeekMessages,
    CreateFullScreenWindow,
    SendFullScreenData,
    CloseFullScreenWindow,
    ShowFullScreenTopmost,
    FullScreenMemory,
    ChangeResolution,
    InstanceId,
    LoadProgramIcon,
    DestroyProgramIcon,
    RegisterWindowClass,
    UnregisterWindowClass,
    CreatePlayerWindow,
    DestroyPlayerWindow,
    EnableSystemMenuItem,
    MoveWindowTo,
    ShowWindowAs,
    BringToFront,
    SetFocusTo,
    UpdateWindowNow,
    SetTitle,
    SendEvent,
    PostQuit,
    PumpMessage,
    YieldProcessor,
    KeyHeld,
    ShowMessageBox,
    WindowFromNumber,
    WindowTitle,
    SendQuery,
    SendCopyData,
};

}  // namespace

const PlatformOps& Win32Platform() {
    return kOps;
}

}  // namespace tavik
