// Text to draw into a movie's frames: coloured coverage maps laid over the picture in order, as a
// subtitle renderer produces them, and the times of the cues they come from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavik::edit {

struct TextLayer {
    int32_t x = 0, y = 0;  // top-left, in pixels of the stored picture
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> coverage;  // width x height: 0 none, 255 the colour alone
    uint8_t r = 255, g = 255, b = 255;
    uint8_t opacity = 255;
};

struct Cue {
    int64_t startMs = 0, endMs = 0;
};

class TextSource {
  public:
    virtual ~TextSource() = default;
    // The layers to draw at `ms` from the movie's start, valid until the next call.
    virtual const std::vector<TextLayer>& At(int64_t ms) = 0;
    virtual std::vector<Cue> Cues() const = 0;
    // For messages: where the text comes from.
    virtual std::string Name() const = 0;
};

}  // namespace tavik::edit
