#include "audio/wave_out_timing.h"

#include <algorithm>

namespace tavik {

uint32_t WaveOutBlockSize(uint32_t bytesPerSecond) {
    const uint64_t quarter = bytesPerSecond / 4;
    return static_cast<uint32_t>(
        std::min<uint64_t>((quarter + 4095) & ~uint64_t{4095}, 0x7FFFF000u));
}

void WaveOutQueued(WaveOutRun& run, uint32_t bytes, uint32_t now, uint32_t bytesPerSecond) {
    if (run.RunStart == 0) {
        run.RunStart = now;
        run.RunBytes = bytes;
    } else if (run.RunStart + run.RunMillis < now) {
        run.PlayedBase += run.RunBytes;
        run.RunStart = now;
        run.RunBytes = bytes;
    } else {
        run.RunBytes += bytes;
    }
    run.RunMillis = bytesPerSecond == 0
                        ? 0
                        : static_cast<uint32_t>(uint64_t{run.RunBytes} * 1000 / bytesPerSecond);
}

uint32_t WaveOutPlayed(const WaveOutRun& run, uint32_t now) {
    if (run.RunStart == 0) return 0;
    const uint32_t elapsed = now - run.RunStart;
    if (elapsed >= run.RunMillis) return run.PlayedBase + run.RunBytes;
    return run.PlayedBase + static_cast<uint32_t>(uint64_t{run.RunBytes} * elapsed / run.RunMillis);
}

uint32_t WaveOutVolumeWord(int32_t volume, int32_t pan) {
    const uint32_t v = static_cast<uint32_t>(std::clamp(volume, 0, 65535));
    const uint32_t p = static_cast<uint32_t>(std::clamp(pan, 0, 65536));
    uint32_t left = v, right = v;
    if (p < 32768) right = v * p / 32768;
    if (p > 32768) left = v * (65536 - p) / 32768;
    return left | right << 16;
}

}  // namespace tavik
