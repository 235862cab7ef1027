// Writing pictures as one YUV4MPEG2 stream (8-bit, BT.601, limited range), 4:4:4 or 4:2:0.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace tavik::tools {

class Y4mWriter {
  public:
    // Frames per second as numerator / denominator.
    Y4mWriter(std::FILE* file, uint32_t width, uint32_t height, uint32_t rateNumerator,
              uint32_t rateDenominator, bool chroma420);
    // `rgb`: width x height triples. False when the file cannot be written.
    bool Write(const uint8_t* rgb);

  private:
    std::FILE* file_;
    uint32_t width_, height_;
    bool chroma420_, headerWritten_ = false;
    uint32_t rateNumerator_, rateDenominator_;
    std::vector<uint8_t> y_, cb_, cr_;
};

// The frame rate of a frame time in 10-microsecond ticks, as a reduced fraction (25:1 for none).
void FrameRateFraction(uint32_t frameTicks, uint32_t& numerator, uint32_t& denominator);

}  // namespace tavik::tools
