// Audio chunks: one frame's PCM for one track.
#pragma once

#include <cstdint>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::enc {

inline uint32_t SampleFrameBytes(const AudioTrackFormat& format) {
    return (format.stereo ? 2u : 1u) * (format.is16Bit ? 2u : 1u);
}

// The whole chunk, its length field included. `pcm` holds whole sample frames; an empty one
// gives a compressed chunk whose data bit says "no sound".
// Compressed chunks are padded with zero bytes to a multiple of 4. Plain chunks cannot be padded
// (every byte after the length field is sound), so they are exactly 4 + pcm.size() bytes.
std::vector<uint8_t> EncodeAudioChunk(const std::vector<uint8_t>& pcm,
                                      const AudioTrackFormat& format);

}  // namespace tavik::enc
