// WAVE files read without a sound library (a Windows build configured without its libraries):
// integer PCM of 8 to 32 bits, mono or stereo, in a plain or an extensible format chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::tools {

// The samples as a track stores them: 8-bit sound stays 8-bit unsigned, deeper sound becomes
// 16-bit signed (its top 16 bits). False with the problem in `error`.
bool ParseWave(const uint8_t* data, size_t size, enc::AudioTrackFormat& format,
               std::vector<uint8_t>& pcm, std::string& error);

}  // namespace tavik::tools
