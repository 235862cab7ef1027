// The SDL backend's table of operations, its start and its message boxes.
#include "platform/sdl/sdl_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_wrap.h"

namespace tavik {

namespace sdl {

namespace {

bool g_messageBoxes = true;

}  // namespace

// SDL's boxes have no icons of their own choosing beyond error and information, and do not
// wrap their text: it is wrapped here so that the box fits on the screen.
void MessageBox(WindowRef owner, const char* text, const char* caption, bool stopIcon) {
    if (!g_messageBoxes) return;
    std::string shown = text != nullptr ? text : "";
    for (size_t at; (at = shown.find('\r')) != std::string::npos;) shown.erase(at, 1);
    shown = WrapMessageText(shown, MessageColumns(ScreenSize().x));
    SdlWindow* w = FindWindow(owner);
    // Now and then a box fails to open (SDL draws it in a child process that can fail to
    // start while other windows come and go): try a few times, saying why on stderr; the text
    // is on stdout already.
    for (int attempt = 1; attempt <= 4; ++attempt) {
        if (SDL_ShowSimpleMessageBox(stopIcon ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
                                     caption != nullptr ? caption : "", shown.c_str(),
                                     w != nullptr && !w->fullScreen ? w->window : nullptr) == 0) {
            return;
        }
        std::fprintf(stderr, "TavikPlay: try %d: %s\n", attempt, SDL_GetError());
        SDL_Delay(300);
    }
    std::fprintf(stderr, "TavikPlay: the message box could not be shown: %s\n", SDL_GetError());
}

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

constexpr DesktopOps kDesktop = {
    .SetViewOptions = SetSdlViewOptions,
    .ToggleFullScreen = ToggleSdlFullScreen,
    .ShowOverlay = ShowSdlOverlay,
    .RefreshView = RefreshSdlView,
    .SetVolume = SetSdlVolume,
    .TakeDroppedFile = TakeSdlDroppedFile,
};

// No controlling-window protocol outside Windows.
constexpr PlatformOps kOps = {
    .name = "sdl",
    .screen = &kScreen,
    .windows = &kWindows,
    .pictures = &kPictures,
    .primary = &kPrimary,
    .fullScreen = &kFullScreen,
    .desktop = &kDesktop,
};

}  // namespace sdl

bool StartSdlVideo(std::string* error) {
    // Ctrl+C in the terminal ends the program as it does any other; the software renderer
    // unless the user names another gives pixels exactly as drawn.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (error != nullptr) *error = SDL_GetError();
        return false;
    }
    // The window's screen is the desktop's: true colour shows every movie colour exactly, and a
    // 16-bit desktop gets the 16-bit formats the blitter writes straight into.
    sdl::ScreenFormat format = sdl::ScreenFormat::Rgb888;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && SDL_BITSPERPIXEL(desktop.format) <= 16)
        format = SDL_BITSPERPIXEL(desktop.format) == 15 ? sdl::ScreenFormat::Rgb555
                                                        : sdl::ScreenFormat::Rgb565;
    const char* screen = std::getenv("TAVIK_SDL_SCREEN");
    if (screen != nullptr && std::strcmp(screen, "565") == 0) format = sdl::ScreenFormat::Rgb565;
    if (screen != nullptr && std::strcmp(screen, "555") == 0) format = sdl::ScreenFormat::Rgb555;
    if (screen != nullptr && std::strcmp(screen, "888") == 0) format = sdl::ScreenFormat::Rgb888;
    sdl::SetScreenFormat(format);
    sdl::LearnScreenSize();
    // The tests' stand-in for a file dropped on the window: the event is waiting at the start.
    if (const char* dropped = std::getenv("TAVIK_SDL_TEST_DROP")) {
        SDL_Event event{};
        event.type = SDL_DROPFILE;
        event.drop.file = SDL_strdup(dropped);
        if (SDL_PushEvent(&event) != 1) SDL_free(event.drop.file);
    }
    return true;
}

const PlatformOps& SdlPlatform() {
    return sdl::kOps;
}

void ShowSdlMessageBoxes(bool shown) {
    sdl::g_messageBoxes = shown;
}

void StopSdl() {
    SDL_Quit();
}

}  // namespace tavik
