// The headless backend's table. It has no controlling-window protocol and no desktop additions.
#include "platform/headless/headless_ops.h"

namespace tavik {

namespace {

using namespace headless;

constexpr ScreenOps kScreen = {
    .ScreenDepth = ScreenDepth,
    .ReservedColours = ReservedColours,
    .PaletteHasStatics = PaletteHasStatics,
    .ReadSystemPalette = ReadSystemPalette,
    .FlushSystemPalette = FlushSystemPalette,
    .ScreenSize = ScreenSize,
    .WorkArea = WorkArea,
    .LoadLibrary = LoadLibrary,
    .FreeLibrary = FreeLibrary,
};

constexpr WindowOps kWindows = {
    .GetDrawContext = GetDrawContext,
    .ReleaseDrawContext = ReleaseDrawContext,
    .DrawBits = DrawBits,
    .FillBlack = FillBlack,
    .IsVisible = IsVisible,
    .IsForeground = IsForeground,
    .FocusWindow = FocusWindow,
    .ClientToScreen = ClientToScreen,
    .ScreenToClient = ScreenToClient,
    .ClientRect = ClientRect,
    .WindowRect = WindowRect,
    .Parent = Parent,
    .Invalidate = Invalidate,
    .IsWindow = IsWindow,
    .InstanceId = InstanceId,
    .LoadIcon = LoadIcon,
    .DestroyIcon = DestroyIcon,
    .RegisterWindowClass = RegisterWindowClass,
    .UnregisterWindowClass = UnregisterWindowClass,
    .CreateWindow = CreateWindow,
    .DestroyWindow = DestroyWindow,
    .EnableMenuItem = EnableMenuItem,
    .MoveWindow = MoveWindow,
    .ShowWindow = ShowWindow,
    .BringToFront = BringToFront,
    .SetFocus = SetFocus,
    .UpdateWindow = UpdateWindow,
    .SetTitle = SetTitle,
    .SendEvent = SendEvent,
    .PostQuit = PostQuit,
    .PumpMessage = PumpMessage,
    .Yield = Yield,
    .KeyHeld = KeyHeld,
    .MessageBox = MessageBox,
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
    .CreatePalette = CreatePalette,
    .DeletePalette = DeletePalette,
    .SelectPalette = SelectPalette,
    .RealizePalette = RealizePalette,
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
    .ShowCursor = ShowCursor,
    .WindowCursor = WindowCursor,
    .SetCursor = SetCursor,
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

constexpr PlatformOps kOps = {
    .name = "headless",
    .screen = &kScreen,
    .windows = &kWindows,
    .pictures = &kPictures,
    .primary = &kPrimary,
    .fullScreen = &kFullScreen,
};

}  // namespace

const PlatformOps& HeadlessPlatform() {
    return kOps;
}

}  // namespace tavik
