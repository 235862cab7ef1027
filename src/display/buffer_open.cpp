// Opening the display buffer: the screen facts, the choice of display method and the surfaces
// each method needs.
#include <algorithm>
#include <cstring>
#include <new>

#include "display/display_state.h"

namespace tavik {

namespace {

// Nothing the player shows needs more than this; larger requests fail the open rather than
// asking for absurd amounts of memory or overflowing the size arithmetic.
constexpr uint64_t kLargestBuffer = 1u << 28;

void LearnScreenFacts() {
    DisplayState& d = Display();
    if (d.factsKnown) return;
    const PlatformOps& p = Platform();
    const uint32_t depth = std::min<uint32_t>(p.screen->ScreenDepth(), 24);
    d.screenColours = 1u << depth;
    d.paletteSize = std::min<uint32_t>(d.screenColours, 256);
    d.reservedHalf = d.screenColours == 256 ? p.screen->ReservedColours() / 2 : 0;
    WriteHeaderIndices();
    p.screen->FlushSystemPalette();
    d.factsKnown = true;
}

uint32_t StaticCount() {
    return Platform().screen->PaletteHasStatics() ? Display().reservedHalf : 1;
}

struct Request {
    uint32_t width, height, destWidth, destHeight;
    bool stretched;
    bool oddStretch;
    uint32_t flags;
};

// Whether method `method` can be had for the request; `planDirectDraw` says whether method 5
// should try direct writes.
bool MethodFits(uint32_t method, const Request& r, bool* planDirectDraw) {
    *planDirectDraw = false;
    switch (method) {
        case MethodFullScreen240:
            return r.width <= 320 && r.height <= 240 && !r.stretched && DispDibAvailable();
        case MethodFullScreen200:
        case MethodFullScreenDirect:
            return r.width <= 320 && r.height <= 200 && !r.stretched && DispDibAvailable();
        case MethodStandardDib:
            LoadDibSectionFunctions();
            return true;
        case MethodDibSection: {
            if (Display().wing == LibraryState::NotTried) LoadWinG();
            if (!DibSectionsFound()) return Display().wing == LibraryState::Loaded;
            const uint32_t colours = Display().screenColours;
            const bool oneOrTwo = (r.destWidth == r.width && r.destHeight == r.height) ||
                                  (uint64_t{r.destWidth} == 2ull * r.width &&
                                   uint64_t{r.destHeight} == 2ull * r.height);
            *planDirectDraw =
                colours >= 256 && colours <= 65536 && oneOrTwo && (r.flags & NoDirectDraw) == 0;
            if (*planDirectDraw) LoadDirectDraw();
            return true;
        }
        default:
            return false;
    }
}

// Frees a buffer that never got further than its pixel memory.
void FreeBuffer(DisplayBuffer* b) {
    if (b->Method != MethodFullScreenDirect && b->Method != MethodDibSection) delete[] b->Bits;
    delete[] b->ScreenSave;
    delete b;
}

// The end of the free palette range; a palette no larger than the statics leaves none free.
uint32_t FreeEnd(uint32_t paletteSize, uint32_t staticCount) {
    return paletteSize > 2 * staticCount ? paletteSize - staticCount : staticCount;
}

uint8_t* NewPixels(uint64_t size) {
    auto* bits = new (std::nothrow) uint8_t[size];
    return bits;
}

// Method 5: the off-screen bitmap whose pixels the movie writes. False when it cannot be made.
bool CreateBitmapSurface(DisplayBuffer* b) {
    const PlatformOps& p = Platform();
    const bool wing = !DibSectionsFound();
    b->BottomUp = wing && p.pictures->WinGBottomUp() ? 1 : 0;
    b->MemoryDC = p.pictures->CreateOffscreen(wing);
    if (b->MemoryDC == nullptr) return false;
    const int32_t height = static_cast<int32_t>(b->Height);
    if (!p.pictures->CreateOffscreenBitmap(b->MemoryDC, static_cast<int32_t>(b->Pitch),
                                           b->BottomUp ? height : -height, &b->Bits) ||
        b->Bits == nullptr) {
        p.pictures->DestroyOffscreen(b->MemoryDC);
        b->MemoryDC = nullptr;
        b->Bits = nullptr;
        return false;
    }
    b->HasBitmap = true;
    return true;
}

}  // namespace

DisplayBuffer* BufferOpen(WindowRef window, uint32_t methodWord, uint32_t width, uint32_t height,
                          uint32_t destWidth, uint32_t destHeight) {
    Request r{};
    r.flags = methodWord & kMethodFlags;
    const uint32_t asked = methodWord & ~kMethodFlags;
    LearnScreenFacts();
    const uint32_t staticCount = StaticCount();

    r.width = width;
    r.height = height;
    r.destWidth = destWidth == 0 ? width : destWidth;
    r.destHeight = destHeight == 0 ? height : destHeight;
    r.stretched = r.destWidth != width || r.destHeight != height;
    r.oddStretch = (width != 0 && (r.destWidth * 4u) % width != 0) ||
                   (height != 0 && (r.destHeight * 4u) % height != 0);
    // Empty or absurd sizes fail like any other request the screen cannot take.
    const uint64_t pitch = (uint64_t{width} + 7) & ~uint64_t{7};
    if (width == 0 || height == 0 || pitch * (height + 4) > kLargestBuffer) return nullptr;

    uint32_t method = 0;
    bool planDirectDraw = false;
    if (asked == MethodAutomatic) {
        for (uint32_t candidate = MethodDibSection; candidate >= MethodStandardDib; --candidate) {
            if (MethodFits(candidate, r, &planDirectDraw)) {
                method = candidate;
                break;
            }
        }
    } else if (MethodFits(asked, r, &planDirectDraw)) {
        method = asked;
    }
    if (method == 0) return nullptr;

    auto* b = new (std::nothrow) DisplayBuffer{};
    if (b == nullptr) return nullptr;
    b->Method = method;
    b->Width = width;
    b->Height = height;
    b->Pitch = static_cast<uint32_t>(pitch);
    b->ScreenColours = Display().screenColours;
    b->DestWidth = r.destWidth;
    b->DestHeight = r.destHeight;
    b->Stretched = r.stretched ? 1 : 0;
    b->ColourTableLayout = 6;
    b->RectCapacity = std::max<uint32_t>(((height / 4) * (width / 64)) / 2, 16);

    const PlatformOps& p = Platform();
    switch (method) {
        case MethodFullScreen240:
        case MethodFullScreen200:
            b->PaletteSize = 256;
            b->FirstFree = 0;
            b->FreeEnd = 256;
            b->RectMode = 1;
            b->FullScreen = 1;
            if (method == MethodFullScreen240 && b->Height <= 200) b->Height = 204;
            b->BottomUp = 1;
            b->Bits = NewPixels(uint64_t{b->Pitch} * b->Height);
            break;
        case MethodFullScreenDirect:
            b->PaletteSize = 256;
            b->FirstFree = 0;
            b->FreeEnd = 256;
            b->RectMode = 2;
            b->FullScreen = 1;
            b->Width = 320;
            b->Height = 200;
            b->Pitch = 320;
            b->Bits = p.fullScreen->FullScreenMemory();
            // The saved screen is needed at every switch away; no memory fails the open.
            b->ScreenSave = new (std::nothrow) uint8_t[64000]();
            if (b->ScreenSave == nullptr) b->Bits = nullptr;
            break;
        case MethodStandardDib:
            b->PaletteSize = Display().paletteSize;
            b->FirstFree = staticCount;
            b->FreeEnd = FreeEnd(b->PaletteSize, staticCount);
            b->RectMode = 1;
            b->BottomUp = DibSectionsFound() ? 0 : 1;
            b->Bits = NewPixels(uint64_t{b->Pitch} * b->Height);
            break;
        case MethodDibSection:
            b->PaletteSize = Display().paletteSize;
            b->FirstFree = staticCount;
            b->FreeEnd = FreeEnd(b->PaletteSize, staticCount);
            b->RectMode = r.oddStretch ? 1 : 0;
            b->Window = window;
            if (!CreateBitmapSurface(b)) {
                delete b;
                return nullptr;
            }
            if (planDirectDraw && Display().directDraw == LibraryState::Loaded) {
                SetUpDirectDraw(b, r.flags);
            }
            break;
    }
    if (b->Bits == nullptr) {
        FreeBuffer(b);
        return nullptr;
    }

    b->FreeCount = b->FreeEnd - b->FirstFree;
    if (b->RectMode != 2) BufferClear(b, 0);
    if (b->ScreenColours <= 256) {
        PaletteEntry system[256];
        p.screen->ReadSystemPalette(system);
        for (uint32_t i = 0; i < b->PaletteSize; ++i) {
            b->ColourTable[4 * i] = system[i].blue;
            b->ColourTable[4 * i + 1] = system[i].green;
            b->ColourTable[4 * i + 2] = system[i].red;
            b->ColourTable[4 * i + 3] = 0;
        }
    }
    b->Window = window;
    if (b->FullScreen && !SwitchToFullScreen(b)) {
        FreeBuffer(b);
        return nullptr;
    }
    return b;
}

void BufferClear(DisplayBuffer* buffer, uint8_t colour) {
    if (buffer == nullptr || buffer->Bits == nullptr) return;
    for (uint32_t row = 0; row < buffer->Height; ++row) {
        std::memset(buffer->Bits + uint64_t{row} * buffer->Pitch, colour, buffer->Width);
    }
}

}  // namespace tavik
