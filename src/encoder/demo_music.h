// The demo movie's sound: a short looping tune (melody, bass line, hi-hat) synthesised with
// integer arithmetic only, so every platform makes the same bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace tavik::enc {

constexpr uint32_t kDemoSampleRate = 22050;

// `samples` bytes of 8-bit unsigned mono PCM at kDemoSampleRate.
std::vector<uint8_t> DemoMusic(uint32_t samples);

}  // namespace tavik::enc
