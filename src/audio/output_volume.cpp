// The outputs' volume. DirectSound passes run on a timer thread, so the level is atomic.
#include "audio/output_volume.h"

#include <algorithm>
#include <atomic>

#include "tavik/sound.h"

namespace tavik {

namespace {

constexpr uint32_t kFull = 100;
std::atomic<uint32_t> g_percent{kFull};

}  // namespace

uint32_t OutputVolume() {
    return g_percent.load(std::memory_order_relaxed);
}

void SetOutputVolume(uint32_t percent) {
    g_percent.store(std::min(percent, kFull), std::memory_order_relaxed);
}

void ApplyOutputVolume(const TavikSoundTrack& track, uint8_t* samples, uint32_t count) {
    const int32_t percent = static_cast<int32_t>(OutputVolume());
    if (percent == kFull || samples == nullptr) return;
    if (!track.Is16Bit) {
        for (uint32_t i = 0; i < count; ++i)
            samples[i] = static_cast<uint8_t>(128 + (samples[i] - 128) * percent / 100);
        return;
    }
    for (uint32_t i = 0; i + 1 < count; i += 2) {
        const auto value = static_cast<int16_t>(samples[i] | samples[i + 1] << 8);
        const auto scaled = static_cast<uint16_t>(value * percent / 100);
        samples[i] = static_cast<uint8_t>(scaled);
        samples[i + 1] = static_cast<uint8_t>(scaled >> 8);
    }
}

}  // namespace tavik

extern "C" void TavikSetOutputVolume(uint32_t percent) {
    tavik::SetOutputVolume(percent);
}
