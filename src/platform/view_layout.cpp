// The overlay's layout: a dot is a 120th of the output's height.
#include "platform/view_layout.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace tavik {

namespace {

// A 3 x 5 font of the few characters shown: one row a byte, bit 2 the left column.
struct Glyph {
    char c;
    uint8_t rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}}, {'2', {7, 1, 7, 4, 7}}, {'3', {7, 1, 7, 1, 7}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 7, 1, 7}}, {'6', {7, 4, 7, 5, 7}}, {'7', {7, 1, 1, 1, 1}},
    {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 7}}, {':', {0, 2, 0, 2, 0}}, {'/', {1, 1, 2, 4, 4}},
    {'%', {5, 1, 2, 4, 5}}, {'|', {5, 5, 5, 5, 5}},
};

void AddText(std::vector<Rect>& dots, const std::string& text, int32_t x, int32_t y, int32_t dot) {
    for (char c : text) {
        for (const Glyph& g : kGlyphs) {
            if (g.c != c) continue;
            for (int32_t row = 0; row < 5; ++row) {
                for (int32_t column = 0; column < 3; ++column) {
                    if (!(g.rows[row] & (4 >> column))) continue;
                    const int32_t left = x + column * dot, top = y + row * dot;
                    dots.push_back(Rect{left, top, left + dot, top + dot});
                }
            }
        }
        x += 4 * dot;
    }
}

std::string Clock(uint32_t ms) {
    char text[16];
    const uint32_t seconds = ms / 1000;
    std::snprintf(text, sizeof text, "%02u:%02u", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

Rect FitPicture(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight) {
    int32_t w = outWidth, h = outHeight;
    if (int64_t{outWidth} * height <= int64_t{outHeight} * width) {
        h = static_cast<int32_t>(int64_t{height} * outWidth / width);
    } else {
        w = static_cast<int32_t>(int64_t{width} * outHeight / height);
    }
    const int32_t x = (outWidth - w) / 2, y = (outHeight - h) / 2;
    return {x, y, x + w, y + h};
}

OverlayLayout LayOutOverlay(const OverlayState& overlay, int32_t width, int32_t height) {
    OverlayLayout layout;
    const int32_t dot = std::max(1, height / 120);
    const int32_t top = height - 9 * dot;
    layout.strip = Rect{0, top, width, height};
    std::string text = overlay.paused ? "| " : "";
    text += Clock(overlay.positionMs) + "/" + Clock(overlay.lengthMs);
    AddText(layout.light, text, 2 * dot, top + 2 * dot, dot);
    const auto barLeft = static_cast<int32_t>(4 * dot * (text.size() + 1));
    int32_t barRight = width - 2 * dot;
    if (overlay.showVolume) {
        const std::string volume = std::to_string(overlay.volume) + "%";
        barRight -= static_cast<int32_t>(4 * dot * (volume.size() + 1));
        AddText(layout.light, volume, barRight + 4 * dot, top + 2 * dot, dot);
    }
    if (barRight > barLeft && overlay.lengthMs > 0) {
        layout.barFrame = Rect{barLeft, top + 3 * dot, barRight, top + 6 * dot};
        const uint64_t done = std::min(overlay.positionMs, overlay.lengthMs);
        const auto filled = static_cast<int32_t>(done * (barRight - barLeft) / overlay.lengthMs);
        layout.light.push_back(Rect{barLeft, top + 3 * dot, barLeft + filled, top + 6 * dot});
    }
    return layout;
}

}  // namespace tavik
