// The player window over the platform table.
#include "player/player_window.h"

#include "player/movie_link.h"
#include "player/placement.h"
#include "player/settings.h"
#include "player/summary.h"

namespace tavik {

namespace {

PlayerWindowState g_window;

constexpr uint32_t kCommandMinimise = 0xF020;
constexpr uint32_t kCommandRestore = 0xF120;
constexpr uint32_t kInitialWidth = 320;
constexpr uint32_t kInitialHeight = 240;

void DestroyIcon() {
    if (g_window.icon == nullptr) return;
    Platform().windows->DestroyIcon(g_window.icon);
    g_window.icon = nullptr;
}

bool RegisterClassOnce() {
    if (g_window.classRegistered) return true;
    g_window.className = WindowClassName(Platform().windows->InstanceId());
    g_window.classRegistered =
        Platform().windows->RegisterWindowClass(g_window.className.c_str(), g_window.icon);
    return g_window.classRegistered;
}

bool QueueKey(int code) {
    if (code < 0) return false;
    g_window.keys.Push(static_cast<uint8_t>(code));
    return true;
}

EventResult Answer(intptr_t value) {
    return EventResult{false, value};
}
EventResult Default() {
    return EventResult{true, 0};
}

bool FullScreenBuffer() {
    return g_window.buffer != nullptr && g_window.buffer->FullScreen;
}

}  // namespace

PlayerWindowState& WindowState() {
    return g_window;
}
void ResetWindowState() {
    g_window = PlayerWindowState{};
}

void SetAppTitle(const char* title) {
    g_window.title = title != nullptr ? title : "";
}

void SetStretchSize(int32_t width, int32_t height) {
    g_window.stretchWidth = width;
    g_window.stretchHeight = height;
}

bool OpenPlayerWindow(uint32_t width, uint32_t height, int32_t x, int32_t y,
                      uint32_t displayFlags) {
    const PlatformOps& p = Platform();
    const uint32_t methodWord = MethodWordFromDisplayFlags(displayFlags);
    const auto stretchWidth = static_cast<uint32_t>(g_window.stretchWidth);
    const auto stretchHeight = static_cast<uint32_t>(g_window.stretchHeight);

    if (g_window.window != nullptr) {
        DisplayBuffer* b = g_window.buffer;
        if (b != nullptr && b->FullScreen && b->Width >= width && b->Height >= height) {
            if (!(displayFlags & kDisplayDontClear)) ClearAndShow(0);
        } else {
            BufferClose(g_window.buffer);
            g_window.buffer =
                BufferOpen(g_window.window, methodWord, width, height, stretchWidth, stretchHeight);
            if (g_window.buffer == nullptr) {
                DestroyIcon();
                return false;
            }
        }
        PlacePlayerWindow(x, y, g_window.buffer->DestWidth, g_window.buffer->DestHeight);
        p.windows->UpdateWindow(g_window.window);
        return true;
    }

    if (g_window.icon == nullptr) g_window.icon = p.windows->LoadIcon();
    if (!RegisterClassOnce()) return false;
    const WindowStyles styles = StylesFromDisplayFlags(displayFlags);
    WindowSpec plan;
    plan.className = g_window.className.c_str();
    plan.title = g_window.title.c_str();
    plan.style = styles.style;
    plan.exStyle = styles.exStyle;
    plan.frame = Rect{0, 0, kInitialWidth, kInitialHeight};
    plan.parent = g_window.owner;
    plan.handler = PlayerWindowEvent;
    g_window.window = p.windows->CreateWindow(plan);
    if (g_window.window != nullptr) {
        p.windows->EnableMenuItem(g_window.window, 0, false);
        p.windows->EnableMenuItem(g_window.window, 1, true);
        p.windows->EnableMenuItem(g_window.window, 2, false);
        p.windows->EnableMenuItem(g_window.window, 3, true);
        p.windows->EnableMenuItem(g_window.window, 4, false);
        const Rect client = p.windows->ClientRect(g_window.window);
        g_window.clientOffset = p.windows->ClientToScreen(g_window.window, Point{0, 0});
        g_window.extraWidth = static_cast<int32_t>(kInitialWidth) - (client.right - client.left);
        g_window.extraHeight = static_cast<int32_t>(kInitialHeight) - (client.bottom - client.top);
        g_window.buffer =
            BufferOpen(g_window.window, methodWord, width, height, stretchWidth, stretchHeight);
        if (g_window.buffer != nullptr) {
            if (g_window.buffer->FullScreen) return true;
            PlacePlayerWindow(x, y, g_window.buffer->DestWidth, g_window.buffer->DestHeight);
            p.windows->ShowWindow(g_window.window, ShowCommand::Show);
            p.windows->BringToFront(g_window.window);
            return true;
        }
        p.windows->DestroyWindow(g_window.window);
        g_window.window = nullptr;
    }
    BufferClose(g_window.buffer);
    g_window.buffer = nullptr;
    DestroyIcon();
    return false;
}

void PlacePlayerWindow(int32_t x, int32_t y, uint32_t width, uint32_t height) {
    const Point at =
        WindowPosition(x, y, width, height, Platform().screen->ScreenSize(), g_window.clientOffset);
    Platform().windows->MoveWindow(g_window.window, at.x, at.y,
                                   static_cast<int32_t>(width) + g_window.extraWidth,
                                   static_cast<int32_t>(height) + g_window.extraHeight);
}

void PaintPlayerWindow(DrawRef draw) {
    DisplayBuffer* b = g_window.buffer;
    if (b == nullptr) return;
    if (b->Blitter != nullptr && (b->BlitterFlags & 8)) {
        Platform().windows->FillBlack(draw, 0, 0, static_cast<int32_t>(b->DestWidth),
                                      static_cast<int32_t>(b->DestHeight));
    }
    BufferBlit(b, draw, 0, 0, 0, 0, b->Width, b->Height);
}

EventResult PlayerWindowEvent(void*, WindowRef window, WindowEvent& event) {
    const PlatformOps& p = Platform();
    switch (event.kind) {
        case WindowEventKind::Destroy:
            p.windows->PostQuit();
            return Answer(0);
        case WindowEventKind::Paint:
            PaintPlayerWindow(event.draw);
            return Answer(0);
        case WindowEventKind::Close:
            g_window.keys.Push(kKeyClose);
            return Answer(0);
        case WindowEventKind::QueryEndSession:
        case WindowEventKind::EraseBackground:
            return Answer(1);
        case WindowEventKind::PositionChanging:
            if (!event.noMove) {
                event.position.x = AlignClientColumn(event.position.x, g_window.clientOffset.x);
            }
            return Default();
        case WindowEventKind::HitTest:
            return FullScreenBuffer() ? Answer(1) : Default();
        case WindowEventKind::KeyDown:
            return QueueKey(KeyCodeForKeyDown(event.code, p.windows->KeyHeld(HeldKey::Shift),
                                              p.windows->KeyHeld(HeldKey::Ctrl)))
                       ? Answer(0)
                       : Default();
        case WindowEventKind::Char:
            return QueueKey(KeyCodeForChar(event.code, p.windows->KeyHeld(HeldKey::Shift)))
                       ? Answer(0)
                       : Default();
        case WindowEventKind::SysKeyDown:
            return QueueKey(KeyCodeForSysKeyDown(event.code, event.altContext)) ? Answer(0)
                                                                                : Default();
        case WindowEventKind::SysCommand: {
            const uint32_t command = event.code & ~0xFu;
            if (command == kCommandMinimise) {
                p.windows->EnableMenuItem(window, 0, true);
                p.windows->EnableMenuItem(window, 3, false);
            } else if (command == kCommandRestore) {
                p.windows->EnableMenuItem(window, 0, false);
                p.windows->EnableMenuItem(window, 3, true);
                // While full screen, restoring hands the focus to the full-screen window.
                if (FullScreenBuffer()) {
                    p.windows->SetFocus(g_window.buffer->FullScreenWindow);
                    return Answer(0);
                }
            }
            return Default();
        }
        case WindowEventKind::ButtonUp:
            return Answer(0);
        case WindowEventKind::QueryNewPalette:
            return Answer(static_cast<intptr_t>(BufferRealizePalette(g_window.buffer)));
        case WindowEventKind::PaletteChanged:
            if (event.other == window) return Answer(0);
            return Answer(static_cast<intptr_t>(BufferRealizePalette(g_window.buffer)));
        case WindowEventKind::FullScreenNotice:
            return FullScreenBuffer() ? Answer(1) : Default();
    }
    return Default();
}

void PumpMessages() {
    for (;;) {
        const PumpResult result = Platform().windows->PumpMessage();
        if (result == PumpResult::Empty) return;
        if (result == PumpResult::Quit) {
            g_window.window = nullptr;
            return;
        }
    }
}

uint32_t KeyWaiting() {
    PumpMessages();
    return g_window.keys.Empty() ? 0 : 1;
}

uint8_t WaitKey() {
    for (;;) {
        PumpMessages();
        if (!g_window.keys.Empty()) return g_window.keys.Pop();
        Platform().windows->Yield();
    }
}

void ClearAndShow(uint8_t colour) {
    DisplayBuffer* b = g_window.buffer;
    if (b == nullptr) return;
    BufferClear(b, colour);
    BufferBlit(b, nullptr, 0, 0, 0, 0, b->Width, b->Height);
}

void SetMovieDestination(TavikMovie* movie, uint32_t x, uint32_t y) {
    DisplayBuffer* b = g_window.buffer;
    if (b == nullptr) return;
    Movies().setDest(movie, x, y, static_cast<int32_t>(b->Pitch), b->Height, b->Bits,
                     b->BottomUp ? TAVIK_DEST_BOTTOM_UP : 0);
}

void ShowFrame(TavikMovie* movie) {
    DisplayBuffer* b = g_window.buffer;
    if (b == nullptr || movie == nullptr) return;
    const PlatformOps& p = Platform();
    const DrawRef draw = p.windows->GetDrawContext(b->Window);
    BufferBeginRects(b);
    while (Movies().nextRect(movie, b->RectMode) != 0) {
        const uint32_t* r = movie->LastRect;
        if (BufferBlit(b, draw, 0, 0, r[0], r[1], r[2], r[3]) != 0) break;
    }
    BufferEndRects(b);
    p.windows->ReleaseDrawContext(b->Window, draw);
}

void ClosePlayerWindow() {
    const PlatformOps& p = Platform();
    if (g_window.window != nullptr) {
        p.windows->DestroyWindow(g_window.window);
        // Pump until the quit message the destruction posted; a backend that has nothing
        // left to deliver ends the wait too, so closing can never hang.
        while (g_window.window != nullptr) {
            const PumpResult result = p.windows->PumpMessage();
            if (result != PumpResult::Dispatched) g_window.window = nullptr;
        }
    }
    DestroyIcon();
    if (g_window.buffer != nullptr) {
        g_window.displayDescription = DescribeDisplay(g_window.buffer);
        g_window.screenColours = g_window.buffer->ScreenColours;
        BufferClose(g_window.buffer);
        g_window.buffer = nullptr;
    }
    if (g_window.classRegistered) {
        p.windows->UnregisterWindowClass(g_window.className.c_str());
        g_window.classRegistered = false;
    }
    FreeDisplayLibraries();
}

}  // namespace tavik
