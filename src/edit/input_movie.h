// The movie being edited, frame by frame in file order (0 .. FrameCount - 1, then the ring frame):
// each frame's bytes and chunks as stored, and its picture and palette as the engine decodes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "format/frame_chunks.h"
#include "tavik/decoder.h"
#include "tavik/movie.h"

namespace tavik::edit {

struct InputFrame {
    uint32_t number = 0;             // FrameCount for the ring frame
    const uint8_t* bytes = nullptr;  // the frame as stored, with 8 zero bytes behind it
    uint32_t size = 0;
    uint8_t type = 0;
    FrameChunks chunks;
    const uint8_t* picture = nullptr;  // width x stored height indices
    const uint8_t* palette = nullptr;  // 256 x R, G, B in force for the frame
};

class InputMovie {
  public:
    InputMovie() = default;
    InputMovie(const InputMovie&) = delete;
    InputMovie& operator=(const InputMovie&) = delete;
    ~InputMovie();

    bool Open(const std::string& path, std::string& error);
    const TavikHeader& Header() const;
    uint32_t FrameTotal() const;  // the ring frame included
    uint32_t StoredHeight() const { return Header().Height; }
    // 2 when the frames are shown at twice their stored height (interlaced or doubled).
    uint32_t HeightScale() const;
    // Ticks of 10 microseconds per frame; 0 without timing.
    uint32_t FrameTime() const;
    const std::vector<uint32_t>& FrameSizes() const;
    const std::vector<uint8_t>& FrameTypes() const;
    const std::string& Path() const { return path_; }
    // The tree block as stored, and the trees built from it.
    bool TreeBlock(std::vector<uint8_t>& block) const;
    uint8_t* Trees();
    // The stored bytes of frame `i`, without decoding it.
    bool ReadFrame(uint32_t i, std::vector<uint8_t>& bytes) const;

    // Starts again from frame 0.
    bool Rewind(std::string& error);
    // Decodes the next frame; false at the end (error empty) or on a failure.
    bool Next(InputFrame& frame, std::string& error);

  private:
    std::string path_;
    TavikDecoder* decoder_ = nullptr;
    uint32_t next_ = 0;
    std::vector<uint8_t> stored_;  // the stored picture of a movie shown at twice its height
};

}  // namespace tavik::edit
