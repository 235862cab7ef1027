// The pictures tavik-encode codes: PNG files or a YUV4MPEG2 stream.
#pragma once

#include <cstdint>
#include <functional>
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

// Called after each picture read with (pictures read, pictures in all or 0 when not known).
using ReadProgress = std::function<void(size_t, size_t)>;

bool ReadPngFrames(const std::vector<std::string>& paths, FrameInput& input, std::string& error,
                   const ReadProgress& progress);

// `path` "-" reads standard input.
bool ReadY4mFrames(const std::string& path, FrameInput& input, std::string& error,
                   const ReadProgress& progress);

}  // namespace tavik::tools
