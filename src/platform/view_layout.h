// What the desktop view shows, laid out once for every backend: the picture fitted to the output,
// and the overlay's picture over it: a dimmed strip along the bottom of
// the output with the pause sign, the position and length as MM:SS/MM:SS in a 3 x 5 dot font,
// a bar of the position, and the volume when it changed. A backend paints the rectangles with
// its own calls, over the scaled picture and never into it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace tavik {

struct OverlayLayout {
    Rect strip;               // dimmed (black at two thirds)
    std::vector<Rect> light;  // white: the text's dots and the bar's filled part
    Rect barFrame;            // white outline, one dot thick; empty when there is no bar
};

// The largest rectangle of the picture's shape (width x height) inside an output of
// outWidth x outHeight pixels, centred: black bars fill the rest.
Rect FitPicture(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight);

// The overlay for an output of width x height pixels.
OverlayLayout LayOutOverlay(const OverlayState& overlay, int32_t width, int32_t height);

}  // namespace tavik
