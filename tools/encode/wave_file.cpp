#include "encode/wave_file.h"

#include <algorithm>

namespace tavik::tools {

namespace {

uint32_t Little(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{p[i]} << (8 * i);
    return v;
}

constexpr uint32_t kPcm = 1, kExtensible = 0xFFFE;

}  // namespace

bool ParseWave(const uint8_t* data, size_t size, enc::AudioTrackFormat& format,
               std::vector<uint8_t>& pcm, std::string& error) {
    if (size < 12 || Little(data, 4) != 0x46464952 || Little(data + 8, 4) != 0x45564157) {
        error = "not a WAVE file";
        return false;
    }
    uint32_t channels = 0, rate = 0, bits = 0;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= size;) {
        const uint32_t id = Little(data + at, 4);
        const size_t length = Little(data + at + 4, 4);
        const uint8_t* body = data + at + 8;
        const size_t available = size - at - 8;
        if (id == 0x20746D66 && length >= 16 && available >= 16) {  // "fmt "
            uint32_t tag = Little(body, 2);
            if (tag == kExtensible && length >= 26 && available >= 26) tag = Little(body + 24, 2);
            if (tag != kPcm) {
                error = "only integer PCM can be read here";
                return false;
            }
            channels = Little(body + 2, 2);
            rate = Little(body + 4, 4);
            bits = Little(body + 14, 2);
            haveFormat = true;
        } else if (id == 0x61746164) {  // "data"
            if (!haveFormat) break;
            if (channels < 1 || channels > 2) {
                error = "only mono and stereo sound can be stored";
                return false;
            }
            if (rate < 1 || rate > 0xFFFFFF || bits < 8 || bits > 32 || bits % 8 != 0) {
                error = "unsupported sample rate or sample size";
                return false;
            }
            const size_t sampleBytes = bits / 8;
            const size_t samples = std::min(length, available) / sampleBytes;
            format.rate = rate;
            format.stereo = channels == 2;
            format.is16Bit = bits > 8;
            pcm.clear();
            pcm.reserve(samples * (format.is16Bit ? 2 : 1));
            for (size_t i = 0; i < samples - samples % channels; ++i) {
                const uint8_t* sample = body + i * sampleBytes;
                if (!format.is16Bit) {
                    pcm.push_back(sample[0]);
                } else {  // the top 16 bits, little-endian
                    pcm.push_back(sample[sampleBytes - 2]);
                    pcm.push_back(sample[sampleBytes - 1]);
                }
            }
            return true;
        }
        if (length >= available) break;
        at += 8 + length + (length & 1);
    }
    error = "no sound data found";
    return false;
}

}  // namespace tavik::tools
