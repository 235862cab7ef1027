// Saving a frame as a PNG in the current folder.
#pragma once

#include <cstdint>
#include <string>

#include "player/desktop/frame_source.h"

namespace tavik {

// The file name for frame `number` of the movie `movieName`: its name without folder and
// extension, a dash and the frame number in five digits, ".png".
std::string ScreenshotName(const std::string& movieName, uint32_t number);

// Writes frame `number` at the movie's own size to ScreenshotName(...). The name written, or ""
// with `error` set.
std::string SaveScreenshot(FrameSource& source, const std::string& movieName, uint32_t number,
                           std::string& error);

}  // namespace tavik
