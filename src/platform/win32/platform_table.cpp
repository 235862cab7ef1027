// The win32 backend's table: its operations, group by group.
#include "platform/win32/libraries.h"
#include "platform/win32/operations.h"
#include "platform/win32/view.h"
#include "platform/win32/win32_platform.h"

namespace tavik {

namespace {

using namespace win32;

constexpr ScreenOps kScreen = {
    .ScreenDepth = ScreenDepth,
    .ReservedColours = ReservedColours,
    .PaletteHasStatics = PaletteHasStatics,
    .ReadSystemPalette = ReadSystemPalette,
    .FlushSystemPalette = FlushSystemPalette,
    .ScreenSize = ScreenSize,
    .WorkArea = WorkArea,
    .LoadLibrary = LoadFacility,
    .FreeLibrary = FreeFacility,
};

constexpr WindowOps kWindows = {
    .GetDrawContext = GetDrawContext,
    .ReleaseDrawContext = ReleaseDrawContext,
    .DrawBits = DrawBits,
    .FillBlack = FillBlack,
    .IsVisible = IsVisible,
    .IsForeground = IsForeground,
    .FocusWindow = FocusWindow,
    .ClientToScreen = ClientToScreenPoint,
    .ScreenToClient = ScreenToClientPoint,
    .ClientRect = ClientRect,
    .WindowRect = WindowRect,
    .Parent = Parent,
    .Invalidate = Invalidate,
    .IsWindow = IsWindowAlive,
    .InstanceId = InstanceId,
    .LoadIcon = LoadProgramIcon,
    .DestroyIcon = DestroyProgramIcon,
    .RegisterWindowClass = RegisterWindowClass,
    .UnregisterWindowClass = UnregisterWindowClass,
    .CreateWindow = CreatePlayerWindow,
    .DestroyWindow = DestroyPlayerWindow,
    .EnableMenuItem = EnableSystemMenuItem,
    .MoveWindow = MoveWindowTo,
    .ShowWindow = ShowWindowAs,
    .BringToFront = BringToFront,
    .SetFocus = SetFocusTo,
    .UpdateWindow = UpdateWindowNow,
    .SetTitle = SetTitle,
    .SendEvent = SendEvent,
    .PostQuit = PostQuit,
    .PumpMessage = PumpMessage,
    .Yield = YieldProcessor,
    .KeyHeld = KeyHeld,
    .MessageBox = ShowMessageBox,
};

constexpr PictureOps kPictures = {
    .WinGBottomUp = WinGBottomUp,
    .CreateOffscreen = CreateOffscreen,
    .CreateOffscreenBitmap = CreateOffscreenBitmap,
    .DestroyOffscreenBitmap = DestroyOffscreenBitmap,
    .DestroyOffscreen = DestroyOffscreen,
    .SetOffscreenColours = SetOffscreenColours,
    .CopyOffscreen = CopyOffscreen,
    .StretchOffscreen = StretchOffscreen,
    .CreatePalette = CreateLogicalPalette,
    .DeletePalette = DeleteLogicalPalette,
    .SelectPalette = SelectForegroundPalette,
    .RealizePalette = RealizeSelectedPalette,
};

constexpr PrimaryOps kPrimary = {
    .OpenPrimary = OpenPrimary,
    .PrimaryFormat = PrimaryFormat,
    .LockPrimary = LockPrimary,
    .RestorePrimary = RestorePrimary,
    .UnlockPrimary = UnlockPrimary,
    .ClosePrimary = ClosePrimary,
    .HasMouse = HasMouse,
    .CursorPosition = CursorPosition,
    .CursorSize = CursorSize,
    .ShowCursor = ShowCursorCount,
    .WindowCursor = WindowCursor,
    .SetCursor = SetCursorImage,
    .CreateProbeWindow = CreateProbeWindow,
    .DestroyProbeWindow = DestroyProbeWindow,
    .ReadPixel = ReadPixel,
    .WritePixel = WritePixel,
    .PeekMessages = PeekMessages,
};

constexpr FullScreenOps kFullScreen = {
    .CreateFullScreenWindow = CreateFullScreenWindow,
    .SendFullScreenData = SendFullScreenData,
    .CloseFullScreenWindow = CloseFullScreenWindow,
    .ShowFullScreenTopmost = ShowFullScreenTopmost,
    .FullScreenMemory = FullScreenMemory,
    .ChangeResolution = ChangeResolution,
};

constexpr ControllerOps kController = {
    .WindowFromNumber = WindowFromNumber,
    .WindowTitle = WindowTitle,
    .SendQuery = SendQuery,
    .SendCopyData = SendCopyData,
};

// The desktop additions (view.h): nothing of them acts before SetViewOptions.
constexpr DesktopOps kDesktop = {
    .SetViewOptions = SetViewOptions,
    .ToggleFullScreen = ToggleFullScreen,
    .ShowOverlay = ShowOverlay,
    .RefreshView = RefreshView,
    .SetVolume = SetVolume,
    .TakeDroppedFile = TakeDroppedFile,
};

constexpr PlatformOps kOps = {
    .name = "win32",
    .screen = &kScreen,
    .windows = &kWindows,
    .pictures = &kPictures,
    .primary = &kPrimary,
    .fullScreen = &kFullScreen,
    .controller = &kController,
    .desktop = &kDesktop,
};

}  // namespace

const PlatformOps& Win32Platform() {
    return kOps;
}

}  // namespace tavik
