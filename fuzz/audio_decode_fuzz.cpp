// Feeds arbitrary audio chunks to the decoder with arbitrary ring geometry. Input: ring size
// (u16, +1), write offset (u16, within the ring), announced size (u32), then the bit stream.
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/audio_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    const uint32_t ringSize = (data[0] | data[1] << 8) + 1u;
    const uint32_t offset = (data[2] | data[3] << 8) % ringSize;
    uint32_t announced;
    std::memcpy(&announced, data + 4, 4);
    // The stream gets its own exact-size copy so that any read past it is caught.
    std::vector<uint8_t> stream(data + 8, data + size);
    std::vector<uint8_t> ring(ringSize, 0xA5);
    alignas(32) static uint8_t trees[tavik::kAudioTreeAreaSize];
    const uint32_t written =
        tavik::DecodeAudio(stream.data(), static_cast<uint32_t>(stream.size()), announced, trees,
                           ring.data(), ring.data() + ringSize, ring.data() + offset);
    if (written > announced || written > ringSize) __builtin_trap();
    // Nothing beyond the reported stretch was touched.
    for (uint32_t i = written; i < ringSize; ++i)
        if (ring[(offset + i) % ringSize] != 0xA5) __builtin_trap();
    return 0;
}
