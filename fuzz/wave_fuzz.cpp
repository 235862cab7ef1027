// Fuzzes the WAVE reader of builds without a sound library with a whole file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "encode/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);  // a copy: reads past it are caught
    tavik::enc::AudioTrackFormat format;
    std::vector<uint8_t> pcm;
    std::string error;
    if (tavik::tools::ParseWave(file.data(), file.size(), format, pcm, error) &&
        pcm.size() % ((format.stereo ? 2 : 1) * (format.is16Bit ? 2 : 1)) != 0)
        __builtin_trap();  // whole sample frames only
    return 0;
}
