// Reading source pictures from PNG files of every colour type and depth.
#pragma once

#include <cstdint>
#include <string>

#include "encoder/authoring.h"

namespace tavik::tools {

// Reads one picture into `frame`: RGB always (alpha composed over black, 16-bit components
// scaled to 8), and for a palette PNG also its indices and palette (missing entries black).
// `width` and `height` are 0 for the first picture, else what it must match.
bool ReadPngPicture(const std::string& path, uint32_t& width, uint32_t& height,
                    enc::SourceFrame& frame, std::string& error);

}  // namespace tavik::tools
