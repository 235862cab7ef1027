// The player's and the display buffer's only contact with a windowing system.
//
// All the player logic (switches, main loop, window and key handling, display methods, palettes,
// rectangle batches, clipping, full-screen requests, summary) is written once over this table.
// The table holds one group of operations per capability: screen, windows (drawing, events,
// input), pictures (off-screen bitmaps and palettes), primary (direct writes and the cursor),
// fullScreen, controller (the controlling program's window) and desktop (what a desktop player
// adds: full-screen toggle, overlay, volume, dropped files, scaling). Each backend lives in its
// own folder under src/platform/ and fills the groups it has by name:
//   win32/    the Windows program (GDI, DIB sections, WinG, DirectDraw, DISPDIB);
//   sdl/      the native program over SDL2;
//   headless/ an in-memory screen that records what is drawn (tests, --video=null).
// backends.h lists them for the programs to pick from.
//
// Conventions every backend keeps:
// - Everything is called on the player's one thread. Nothing here throws.
// - Handles are opaque pointers of the backend's own choosing; null always means "none" or
//   failure. A Windows backend casts its HWND, HDC, HPALETTE... to these types.
// - Co-ordinates are pixels, signed 32-bit; rectangles are left, top, right (exclusive),
//   bottom (exclusive).
// - Capabilities gate operations. A group the backend lacks is null; LoadLibrary(lib) answers
//   whether a facility of a present group exists, and the logic calls an operation marked
//   "needs X" only after LoadLibrary(X) said yes (or, for the primary surface operations,
//   after OpenPrimary gave a surface).
// - The logic keeps all the arithmetic (method choice, palette nudging, batch, clipping,
//   scaling, cursor bookkeeping); the backend only does what the operation's comment says.
#pragma once

#include <cstdint>
#include <string>

namespace tavik {

struct PlatformWindowTag;
struct PlatformDrawTag;
struct PlatformPaletteTag;
struct PlatformOffscreenTag;
struct PlatformPrimaryTag;
struct PlatformCursorTag;
struct PlatformIconTag;

using WindowRef = PlatformWindowTag*;        // a top-level or child window
using DrawRef = PlatformDrawTag*;            // a drawing context of a window (a device context)
using PaletteRef = PlatformPaletteTag*;      // a logical palette
using OffscreenRef = PlatformOffscreenTag*;  // an off-screen drawing context (memory context)
using PrimaryRef = PlatformPrimaryTag*;      // a lockable primary (screen) surface
using CursorRef = PlatformCursorTag*;
using IconRef = PlatformIconTag*;

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// One entry of a logical palette. flags: kPaletteNoCollapse keeps the entry from being mapped
// onto another entry of the same colour (an identity palette needs it on the free entries).
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};
inline constexpr uint8_t kPaletteNoCollapse = 4;
// The standard static colours of a palettised screen into entries 0 to 9 and 246 to 255 (black
// first, white last); the others are left as they are. Screens without a system palette of
// their own show these.
void StandardStaticColours(PaletteEntry* entries);

// Facilities that may be missing; each is asked for at run time.
enum class DisplayLibrary {
    DibSections,      // 8-bit bitmaps with a caller-visible pixel address in an off-screen context
    WinG,             // the older bitmap library doing the same job when DibSections is missing
    DirectDraw,       // a lockable primary surface for direct writes (OpenPrimary...)
    FullScreen,       // a full-screen 320x240 / 320x200 8-bit window (CreateFullScreenWindow...)
    DisplaySettings,  // changing the desktop resolution (ChangeResolution)
};

// What a lock of the primary surface gave.
enum class LockResult { Locked, Lost, CannotLock, Failed };

struct LockedSurface {
    uint8_t* bits = nullptr;  // the pixel at the top-left corner of `reach`
    int32_t pitch = 0;        // bytes from one row to the next
    uint32_t bitsPerPixel = 0;
    // The part of the screen the lock gives access to, in screen co-ordinates. Empty (as
    // left by a backend whose surface is the whole screen) means the whole screen.
    Rect reach;
};

struct PixelFormat {
    uint32_t bitsPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
};

enum class ShowCommand { Hide, Show, Minimise };
enum class HeldKey { Shift, Ctrl };
enum class PumpResult { Empty, Dispatched, Quit };

// What a player window receives; the backend turns its native messages into these and hands
// them to the window's handler. Fields a kind does not mention are zero.
enum class WindowEventKind {
    Destroy,           // the window is being destroyed
    Paint,             // draw: `draw` is the paint context (valid during the call only)
    Close,             // the user asked to close the window
    QueryEndSession,   // the session is ending
    EraseBackground,   // the background would be erased
    PositionChanging,  // the window will move: `position` may be changed; `noMove` if not moving
    HitTest,           // which part of the window is at a point
    KeyDown,           // `code` is the virtual key (F1 0x70 ... F10 0x79, arrows 0x25...)
    Char,              // `code` is the character
    SysKeyDown,        // `code` the virtual key, `altContext` the Alt context bit
    SysCommand,        // `code` is the system command (minimise 0xF020, restore 0xF120, ...)
    ButtonUp,          // a mouse button was released
    QueryNewPalette,   // the window may realise its palette
    PaletteChanged,    // the system palette changed; `other` is the window that changed it
    FullScreenNotice,  // the full-screen window was activated (`code` 1) or deactivated (0)
};

struct WindowEvent {
    WindowEventKind kind = WindowEventKind::Destroy;
    uint32_t code = 0;
    bool altContext = false;
    bool noMove = false;
    Point position;
    DrawRef draw = nullptr;
    WindowRef other = nullptr;
};

// A handler's answer: `useDefault` asks the backend for its default handling (after the handler
// changed the event, for PositionChanging); otherwise `value` is the answer to the message.
struct EventResult {
    bool useDefault = false;
    intptr_t value = 0;
};

using WindowHandler = EventResult (*)(void* owner, WindowRef window, WindowEvent& event);
// Called when the full-screen window is activated, after the backend's own handling of the
// activation, or deactivated, while its screen memory still holds the picture.
using FullScreenHandler = void (*)(void* owner, bool activated);

// Window styles, as the player builds them (the values of the Windows styles they stand for, so
// a Windows backend passes them on unchanged).
inline constexpr uint32_t kStylePopup = 0x80000000;
inline constexpr uint32_t kStyleClipChildren = 0x02000000;
inline constexpr uint32_t kStyleCaption = 0x00C00000;
inline constexpr uint32_t kStyleBorder = 0x00800000;
inline constexpr uint32_t kStyleSystemMenu = 0x00080000;
inline constexpr uint32_t kStyleMinimiseBox = 0x00020000;
inline constexpr uint32_t kExStyleDialogFrame = 0x00000001;

struct WindowSpec {
    const char* className = nullptr;
    const char* title = nullptr;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    Rect frame;  // window rectangle in screen co-ordinates
    WindowRef parent = nullptr;
    WindowHandler handler = nullptr;
    void* owner = nullptr;  // handed back to the handler
};

// ---- The table, one group of operations per capability ------------------------------------
// A backend fills each group it has by name and points the table at it; a group it lacks stays
// null. The screen and windows groups are required (a display has both); the logic checks
// every other group before using it and treats a missing one as a facility that is not there.
// Within a present group every slot is filled, except in the desktop group, where each slot
// may be null on its own.

// Screen facts and the facilities the screen may offer.
struct ScreenOps {
    // Bits per pixel times planes of the screen.
    uint32_t (*ScreenDepth)();
    // Number of colours the system reserves for itself on a palettised screen.
    uint32_t (*ReservedColours)();
    // Whether the system palette keeps static colours (false: only black and white stay).
    bool (*PaletteHasStatics)();
    // The current system palette, 256 entries (flags 0).
    void (*ReadSystemPalette)(PaletteEntry* entries);
    // Makes the system palette forget every application colour (an all-black no-collapse
    // palette realised in the background and dropped again).
    void (*FlushSystemPalette)();
    Point (*ScreenSize)();
    // The desktop's work area (the screen less taskbars), screen co-ordinates.
    Rect (*WorkArea)();
    // Loads a facility; true when it is there. The logic asks once per facility until
    // FreeLibrary, except FullScreen, which it asks at every open that wants it (a backend
    // keeps that one loaded after the first yes). It asks only for facilities whose group is
    // present: DibSections and WinG need pictures, DirectDraw needs primary, FullScreen and
    // DisplaySettings need fullScreen.
    bool (*LoadLibrary)(DisplayLibrary library);
    // Releases a loaded facility (WinG and DirectDraw only).
    void (*FreeLibrary)(DisplayLibrary library);
};

// Windows, drawing into them, and their events and input.
struct WindowOps {
    // ---- Drawing into a window ----
    DrawRef (*GetDrawContext)(WindowRef window);
    void (*ReleaseDrawContext)(WindowRef window, DrawRef draw);
    // Draws source rectangle (sx, sy, sw, sh) of an 8-bit palette-index picture of
    // width x |height| (height < 0: top-down; sy counts from the bottom row in both orders)
    // into (dx, dy, dw, dh), stretching colour on colour.
    void (*DrawBits)(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                     int32_t sy, int32_t sw, int32_t sh, const uint8_t* bits, int32_t width,
                     int32_t height);
    // Paints (x, y, w, h) black.
    void (*FillBlack)(DrawRef draw, int32_t x, int32_t y, int32_t w, int32_t h);

    // ---- Window queries ----
    bool (*IsVisible)(WindowRef window);
    // True when the foreground window is `window` or `window` is a child of it.
    bool (*IsForeground)(WindowRef window);
    // The window that has the keyboard focus, or null.
    WindowRef (*FocusWindow)();
    Point (*ClientToScreen)(WindowRef window, Point point);
    Point (*ScreenToClient)(WindowRef window, Point point);
    // Client rectangle (left and top are 0).
    Rect (*ClientRect)(WindowRef window);
    // Window rectangle in screen co-ordinates.
    Rect (*WindowRect)(WindowRef window);
    WindowRef (*Parent)(WindowRef window);
    // Repaint the whole client area later, without erasing.
    void (*Invalidate)(WindowRef window);
    bool (*IsWindow)(WindowRef window);

    // ---- The player window ----
    // Low 16 bits identify the program instance (they name the window class).
    uint32_t (*InstanceId)();
    IconRef (*LoadIcon)();
    void (*DestroyIcon)(IconRef icon);
    bool (*RegisterWindowClass)(const char* className, IconRef icon);
    void (*UnregisterWindowClass)(const char* className);
    // Creates the window (hidden); its events go to plan.handler.
    WindowRef (*CreateWindow)(const WindowSpec& plan);
    // Destroys the window; its Destroy event follows.
    void (*DestroyWindow)(WindowRef window);
    // Enables or greys the system-menu item at `position` (0 restore, 1 move, 2 size,
    // 3 minimise, 4 maximise).
    void (*EnableMenuItem)(WindowRef window, uint32_t position, bool enabled);
    // Moves and sizes the window (frame rectangle), repainting.
    void (*MoveWindow)(WindowRef window, int32_t x, int32_t y, int32_t width, int32_t height);
    void (*ShowWindow)(WindowRef window, ShowCommand command);
    // Makes the window the foreground, active and focus window.
    void (*BringToFront)(WindowRef window);
    void (*SetFocus)(WindowRef window);
    // Paints any invalid part now.
    void (*UpdateWindow)(WindowRef window);
    void (*SetTitle)(WindowRef window, const char* title);
    // Delivers an event to a window's handler at once and gives its answer.
    EventResult (*SendEvent)(WindowRef window, WindowEvent& event);
    // After Destroy: makes the message pump report Quit.
    void (*PostQuit)();

    // ---- Messages and input ----
    // Takes one waiting message and dispatches it; Quit when it was the quit message.
    PumpResult (*PumpMessage)();
    // Gives the processor away briefly while waiting.
    void (*Yield)();
    bool (*KeyHeld)(HeldKey key);
    // A message box owned by `owner` (may be null); stopIcon shows the stop sign.
    void (*MessageBox)(WindowRef owner, const char* text, const char* caption, bool stopIcon);
};

// Off-screen 8-bit pictures (the DibSections or WinG facility) and logical palettes.
struct PictureOps {
    // For WinG: whether its recommended bitmap format is bottom-up. Needs WinG.
    bool (*WinGBottomUp)();
    // A new off-screen drawing context compatible with the screen; `wing` selects the WinG
    // flavour.
    OffscreenRef (*CreateOffscreen)(bool wing);
    // Creates an 8-bit bitmap of width x |height| pixels (height < 0: rows top-down), whose
    // colours are palette indices, selects it into `offscreen` and gives its pixel address.
    // False when it cannot be made.
    bool (*CreateOffscreenBitmap)(OffscreenRef offscreen, int32_t width, int32_t height,
                                  uint8_t** bits);
    // Selects the old bitmap back and deletes the one made above.
    void (*DestroyOffscreenBitmap)(OffscreenRef offscreen);
    void (*DestroyOffscreen)(OffscreenRef offscreen);
    // Sets colours first .. first+count-1 of the bitmap's colour table; `table` holds four
    // bytes per entry: blue, green, red, 0.
    void (*SetOffscreenColours)(OffscreenRef offscreen, uint32_t first, uint32_t count,
                                const uint8_t* table);
    // Copies (sx, sy, w, h) of the off-screen context to (dx, dy) at 1x.
    void (*CopyOffscreen)(DrawRef draw, int32_t dx, int32_t dy, int32_t w, int32_t h,
                          OffscreenRef offscreen, int32_t sx, int32_t sy);
    // Copies (sx, sy, sw, sh) of the off-screen context to (dx, dy, dw, dh), scaled.
    void (*StretchOffscreen)(DrawRef draw, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                             OffscreenRef offscreen, int32_t sx, int32_t sy, int32_t sw,
                             int32_t sh);

    // Logical palettes (without this group the player draws without realising any).
    PaletteRef (*CreatePalette)(const PaletteEntry* entries, uint32_t count);
    void (*DeletePalette)(PaletteRef palette);
    // Selects a palette as the foreground palette; gives the one it replaced.
    PaletteRef (*SelectPalette)(DrawRef draw, PaletteRef palette);
    // Realises the selected palette; gives the number of system entries that changed.
    uint32_t (*RealizePalette)(DrawRef draw);
};

// The primary surface for direct writes (the DirectDraw facility), and the mouse cursor the
// player keeps off what it writes there.
struct PrimaryOps {
    // Opens the primary surface for windowed direct writes near `window`: creates the
    // facility's object in normal co-operation, refuses bank-switched display memory, creates
    // the primary surface. Null on any failure (nothing is left behind).
    PrimaryRef (*OpenPrimary)(WindowRef window);
    // The surface's pixel format; false when it cannot be asked.
    bool (*PrimaryFormat)(PrimaryRef primary, PixelFormat* format);
    // Locks the whole surface, waiting when busy. A backend whose surface only covers part
    // of the screen (the window's own pixels) says which part in `reach`; nothing outside it
    // may be written.
    LockResult (*LockPrimary)(PrimaryRef primary, LockedSurface* locked);
    // Restores a lost surface; true on success.
    bool (*RestorePrimary)(PrimaryRef primary);
    void (*UnlockPrimary)(PrimaryRef primary, uint8_t* bits);
    // Releases the surface and then the object that made it.
    void (*ClosePrimary)(PrimaryRef primary);

    // ---- Cursor ----
    bool (*HasMouse)();
    Point (*CursorPosition)();
    // The size of the cursor image (width, height).
    Point (*CursorSize)();
    // Raises (true) or lowers (false) the cursor's display count; gives the new count. The
    // cursor shows while the count is not negative.
    int32_t (*ShowCursor)(bool show);
    // The cursor of the window's class, or the standard arrow when it has none.
    CursorRef (*WindowCursor)(WindowRef window);
    // Sets the cursor image; gives the previous one.
    CursorRef (*SetCursor)(CursorRef cursor);
    // The cursor probe: a 32x32 topmost probe window centred on `at` showing `cursor` (its
    // class is registered here and unregistered by DestroyProbeWindow).
    WindowRef (*CreateProbeWindow)(Point at, CursorRef cursor);
    void (*DestroyProbeWindow)(WindowRef probe);
    // Reads and writes one pixel of a window (colour 0x00BBGGRR).
    uint32_t (*ReadPixel)(WindowRef window, Point point);
    void (*WritePixel)(WindowRef window, Point point, uint32_t colour);
    // Looks at the message queue once without removing anything (lets the probe window show).
    void (*PeekMessages)();
};

// The full-screen window (the FullScreen facility) and the desktop resolution
// (DisplaySettings).
struct FullScreenOps {
    // Creates the full-screen window as a pop-up child of `player`; `handler` is told about
    // its activation.
    WindowRef (*CreateFullScreenWindow)(WindowRef player, FullScreenHandler handler, void* owner);
    // One request (format, palette or frame) with its identifier; gives the window's answer.
    intptr_t (*SendFullScreenData)(WindowRef fullScreen, uint32_t id, uint32_t count,
                                   const void* data);
    // Hides the full-screen window and asks it to close.
    void (*CloseFullScreenWindow)(WindowRef fullScreen);
    // Puts it on top of all windows over the whole screen and shows it.
    void (*ShowFullScreenTopmost)(WindowRef fullScreen);
    // The 320 x 200 8-bit screen memory written directly by the direct full-screen method.
    uint8_t* (*FullScreenMemory)();
    // Changes the desktop to width x height temporarily; 0 x 0 goes back to the default.
    // Needs DisplaySettings.
    bool (*ChangeResolution)(uint32_t width, uint32_t height);
};

// The controlling program's window, where a system has that protocol.
struct ControllerOps {
    // The window whose handle a controlling program passed as a number, or null.
    WindowRef (*WindowFromNumber)(uint32_t number);
    // Its title, at most `size` - 1 characters, zero-terminated.
    void (*WindowTitle)(WindowRef window, char* title, uint32_t size);
    // Sends a plain message with both parameters 0; gives the answer.
    intptr_t (*SendQuery)(WindowRef window, uint32_t message);
    // Sends a copy-data message with identifier `id` and `count` bytes at `data`.
    void (*SendCopyData)(WindowRef window, uint32_t id, const void* data, uint32_t count);
};

// How the player window is shown on today's screens (the desktop group's scaling).
struct ViewOptions {
    int32_t scale = 0;      // 0: the largest whole-number scale that fits half the screen
    bool centred = true;    // the player centres the window (no -X, -Y)
    bool resizable = true;  // a frame the user can drag (where a window has none by itself)
};

// The overlay shown for a moment over the picture (never in it).
struct OverlayState {
    uint32_t positionMs = 0;
    uint32_t lengthMs = 0;
    int32_t volume = 100;  // percent
    bool paused = false;
    bool showVolume = false;
};

// What a desktop player adds to the window on keys and switches the player otherwise leaves
// unused. Every slot may be null on its own; the player then goes without that addition.
struct DesktopOps {
    // Scaling: set before the first window opens; a backend adds nothing to a window before
    // this call (the player makes it only when no controlling program owns it). The player
    // still places and sizes the client area in movie pixels; the backend scales what reaches
    // the screen, shape kept, nearest neighbour, black bars, and lets the user resize the
    // window.
    void (*SetViewOptions)(const ViewOptions& options);
    // Full screen on the window's screen, or back to the window.
    void (*ToggleFullScreen)();
    // Shows the overlay for a while; RefreshView, called often, takes it away once its time is
    // over.
    void (*ShowOverlay)(const OverlayState& overlay);
    void (*RefreshView)();
    // The volume of all the movie's sound, 0 to 100 percent (100 at start).
    void (*SetVolume)(int32_t percent);
    // The oldest file dropped on the window not yet taken, or "".
    std::string (*TakeDroppedFile)();
};

struct PlatformOps {
    const char* name;  // "win32", "sdl", "headless"
    const ScreenOps* screen;
    const WindowOps* windows;
    const PictureOps* pictures = nullptr;
    const PrimaryOps* primary = nullptr;
    const FullScreenOps* fullScreen = nullptr;
    const ControllerOps* controller = nullptr;
    const DesktopOps* desktop = nullptr;
};

// The backend in use. Set once at start-up (tests swap it); never null after that.
const PlatformOps& Platform();
void SetPlatform(const PlatformOps* ops);

}  // namespace tavik
