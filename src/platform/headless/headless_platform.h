// The headless backend: an in-memory screen with a configurable depth, static colours and a
// lockable surface. Tests configure it and ask it to record what is drawn and shown;
// `tavikplay --video=null` runs on it without records, in the same memory however long it plays.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tavik {

const PlatformOps& HeadlessPlatform();

namespace headless {

struct Config {
    uint32_t depth = 8;  // bits per pixel of the screen
    uint32_t reservedColours = 20;
    bool staticColours = true;
    PaletteEntry systemPalette[256] = {};
    Point screen{640, 480};
    Rect workArea{0, 0, 640, 480};
    // Facilities.
    bool dibSections = true;
    bool wing = false;
    bool wingBottomUp = true;
    bool directDraw = false;
    bool fullScreen = false;
    bool displaySettings = true;
    // The primary surface's format (masks used at 16 bits and more).
    uint32_t redMask = 0xF800, greenMask = 0x07E0, blueMask = 0x001F;
    bool primaryFormatFails = false;
    int lostLocks = 0;  // locks that report a lost surface before one succeeds
    bool restoreFails = false;
    bool cannotLock = false;  // every lock says the surface cannot be locked
    int failedLocks = 0;      // locks that fail plainly
    // The part of the screen a lock reaches (empty: the whole screen), as a backend whose
    // surface is one window's pixels gives it.
    Rect primaryReach{};
    // Cursor and mouse.
    bool hasMouse = true;
    Point cursor{320, 240};
    Point cursorSize{32, 32};
    // A software cursor puts back what was under its hot spot when it is hidden.
    bool softwareCursor = false;
    // Failures to inject.
    bool failOffscreen = false;
    bool failBitmap = false;
    bool failWindow = false;
    bool failFullScreenWindow = false;
    bool failRegisterClass = false;
    bool resolutionFails = false;
    uint32_t instanceId = 0x1234;
    // Messages boxes are also printed to standard output.
    bool echoMessages = false;
    // Keep the records of the screen (draws, palettes, messages, full-screen requests,
    // resolution changes and the log) for a test to read. They grow with every frame.
    bool record = false;
};

enum class DrawKind { Bits, Copy, Stretch, Black };

struct DrawCall {
    DrawKind kind;
    int32_t dx, dy, dw, dh, sx, sy, sw, sh;
    int32_t bitmapWidth, bitmapHeight;  // DrawBits only
};

struct Message {
    std::string caption, text;
    bool stopIcon;
};

struct FullScreenRequest {
    uint32_t id;
    uint32_t count;
    std::vector<uint8_t> data;
};

struct Window {
    std::string className, title;
    uint32_t style = 0, exStyle = 0;
    Rect frame;
    Window* parent = nullptr;
    WindowHandler handler = nullptr;
    FullScreenHandler fullScreenHandler = nullptr;
    void* owner = nullptr;
    bool visible = false;
    bool minimised = false;
    bool invalid = false;
    bool menuEnabled[5] = {true, true, true, true, true};
    bool isFullScreen = false;
    bool isProbe = false;
};

struct Screen {
    Config config;

    // What was done (kept only when `config.record` is set).
    std::vector<DrawCall> draws;
    std::vector<std::vector<PaletteEntry>> palettesCreated;
    std::vector<Message> messages;
    std::vector<FullScreenRequest> fullScreenRequests;
    std::vector<Point> resolutionChanges;
    std::vector<std::string> log;  // other notable calls, in order
    uint32_t offscreenColourLoads = 0;
    int locks = 0, unlocks = 0;

    // Live objects (leak checks).
    std::map<Window*, std::unique_ptr<Window>> windows;
    std::set<std::string> classes;
    int liveDrawContexts = 0, livePalettes = 0, liveOffscreens = 0, liveIcons = 0;
    bool primaryOpen = false;

    // State.
    Window* foreground = nullptr;
    Window* focus = nullptr;
    std::set<HeldKey> heldKeys;
    std::deque<std::pair<Window*, WindowEvent>> queue;
    bool quitPosted = false;
    int32_t cursorCount = 0;
    CursorRef currentCursor = nullptr;
    std::vector<uint8_t> surface;  // the primary surface: screen.x * screen.y pixels
    uint8_t fullScreenMemory[64000] = {};
    std::set<DisplayLibrary> loaded;

    uint32_t BytesPerPixel() const { return config.depth >= 16 ? config.depth / 8 : 1; }
    int32_t Pitch() const { return config.screen.x * static_cast<int32_t>(BytesPerPixel()); }

    // Test helpers.
    Window* Find(WindowRef ref) const;
    Window* PlayerWindow() const;  // the one window that is neither probe nor full screen
    void PostChar(uint32_t character);
    void PostKeyDown(uint32_t key);
    void PostSysKeyDown(uint32_t key, bool altContext);
    void PostClose();
    void ActivateFullScreen(bool activated);
};

// The one headless screen (process-wide, like a real one).
Screen& TheScreen();
// `config` with its records kept, for tests.
inline Config Recorded(Config config = Config{}) {
    config.record = true;
    return config;
}
// Starts over with a fresh screen configured by `config` (all records and windows dropped).
void Reset(const Config& config = Config{});

}  // namespace headless
}  // namespace tavik
