// Where a frame's palette, sound and video chunks lie.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

struct FrameChunks {
    bool paletteFits = false;  // the palette chunk (at the frame's start) is sound
    const uint8_t* audio[TAVIK_MAX_TRACKS] = {};  // each track's chunk at its length word, or null
    const uint8_t* video = nullptr;               // the video chunk
    uint32_t videoSize = 0;                       // its bytes, to the frame's end
};

// Finds the chunks of a frame of `size` bytes whose type byte is `type`. A chunk whose length
// runs past the frame's end makes the frame malformed: that chunk and every one after it, the
// video chunk included, are dropped.
FrameChunks LocateFrameChunks(const uint8_t* frame, uint32_t size, uint8_t type,
                              const uint32_t* audioFormats);

}  // namespace tavik
