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

// 8-bit sources stay 8-bit; everything else (24- and 32-bit, float) becomes 16-bit, rounded and
// clipped.
bool ReadSound(const AudioSource& source, Sound& sound, std::string& error);

// Each frame carries the sound of its own time; frame 0 also carries `leadMs` ahead. Frames that
// start beyond the end of the sound carry no chunk. Returns the samples (per channel) of sound
// that last beyond the last frame and are left out.
uint64_t SpreadSound(enc::MovieSpec& plan, int track, const Sound& sound, uint32_t leadMs);

}  // namespace tavik::tools
