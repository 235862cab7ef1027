// Sound for tavik-encode: WAVE files spread over the frames by time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/encode_options.h"
#include "encoder/encoder.h"

namespace tavik::tools {

struct Sound {
    enc::AudioTrackFormat format;
    std::vector<uint8_t> pcm;  // WAVE layout
};

// 8-bit sources stay 8-bit; everything else becomes 16-bit.
bool ReadSound(const AudioSource& source, Sound& sound, std::string& error);

// Each frame carries the sound of its own time; frame 0 also carries `leadMs` ahead. Frames that
// start beyond the end of the sound carry no chunk.
void SpreadSound(enc::MovieSpec& plan, int track, const Sound& sound, uint32_t leadMs);

}  // namespace tavik::tools
