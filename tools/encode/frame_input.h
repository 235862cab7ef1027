// The pictures tavik-encode codes: PNG files or a YUV4MPEG2 stream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/authoring.h"

namespace tavik::tools {

struct FrameInput {
    uint32_t width = 0, height = 0;
    std::vector<enc::SourceFrame> frames;
    std::optional<int32_t> frameRate;  // the y4m stream's, in the header's convention
};

bool ReadPngFrames(const std::vector<std::string>& paths, FrameInput& input, std::string& error);

// `path` "-" reads standard input.
bool ReadY4mFrames(const std::string& path, FrameInput& input, std::string& error);

}  // namespace tavik::tools
