// The arithmetic of the player window.
#include "player/placement.h"

#include "display/display_buffer.h"
#include "player/settings.h"

namespace tavik {

std::string WindowClassName(uint32_t instance) {
    std::string name = "QIMDW0000";
    for (int i = 0; i < 4; ++i) {
        name[5 + i] = static_cast<char>('A' + ((instance >> (12 - 4 * i)) & 0xF));
    }
    return name;
}

uint32_t MethodWordFromDisplayFlags(uint32_t flags) {
    uint32_t word = 0;
    switch (flags & kDisplayMethodMask) {
        case 25:
            word = MethodDibSection;
            break;
        case 24:
            word = MethodStandardDib;
            break;
        case 23:
            word = (flags & kDisplayDoubleBuffer) ? MethodFullScreen200 : MethodFullScreenDirect;
            break;
        case 22:
            word = MethodFullScreen240;
            break;
        default:
            break;
    }
    if (flags & kDisplayNoDirectDraw) word += NoDirectDraw;
    if (flags & kDisplaySmoothing) word += Smoothing;
    if (flags & kDisplayInterlaced) word += Interlaced;
    return word;
}

WindowStyles StylesFromDisplayFlags(uint32_t flags) {
    WindowStyles s{};
    s.exStyle = (flags & kDisplayNoDialogFrame) ? 0 : kExStyleDialogFrame;
    s.style = kStylePopup | kStyleClipChildren | kStyleSystemMenu | kStyleMinimiseBox;
    if (!(flags & kDisplayNoCaption)) s.style |= kStyleCaption;
    if (flags & kDisplayThinBorder) s.style |= kStyleBorder;
    return s;
}

// A display larger than the screen would wrap the unsigned centring far off the screen; such a
// window is put with its client area at the screen's edge instead, so its top-left shows.
Point WindowPosition(int32_t x, int32_t y, uint32_t width, uint32_t height, Point screen,
                     Point clientOffset) {
    auto centre = [](int32_t screenSize, uint32_t size, int32_t offset) {
        const auto screenUnsigned = static_cast<uint32_t>(screenSize);
        if (size > screenUnsigned) return -offset;
        return static_cast<int32_t>((screenUnsigned - size) / 2) - offset;
    };
    if (x == -1) x = centre(screen.x, width, clientOffset.x);
    if (y == -1) y = centre(screen.y, height, clientOffset.y);
    return Point{x, y};
}

int32_t AlignClientColumn(int32_t x, int32_t clientOffsetX) {
    const int64_t column = (int64_t{x} + clientOffsetX + 3) & ~int64_t{7};
    return static_cast<int32_t>(column - clientOffsetX);
}

}  // namespace tavik
