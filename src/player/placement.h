// The arithmetic of the player window: class name, styles, method word, placement.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tavik {

// "QIMDW" followed by 'A' plus each 4-bit digit of the instance's low 16 bits.
std::string WindowClassName(uint32_t instance);

// The display buffer's method word from the player's display flags.
uint32_t MethodWordFromDisplayFlags(uint32_t displayFlags);

struct WindowStyles {
    uint32_t style;
    uint32_t exStyle;
};
WindowStyles StylesFromDisplayFlags(uint32_t displayFlags);

// Where the window's top-left goes: a given x or y stays; -1 centres the client area on the
// screen (halving the difference as an unsigned number).
Point WindowPosition(int32_t x, int32_t y, uint32_t width, uint32_t height, Point screen,
                     Point clientOffset);

// A window x moved so that its client area starts on a screen column divisible by 8.
int32_t AlignClientColumn(int32_t x, int32_t clientOffsetX);

}  // namespace tavik
