// Fuzzes the YUV4MPEG2 reader: the input is the whole stream, delivered in short reads.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "encoder/y4m_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t position = 0;
    tavik::enc::Y4mReader reader([&](uint8_t* to, size_t count) {
        const size_t n = std::min({count, size - position, size_t{4099}});
        std::memcpy(to, data + position, n);
        position += n;
        return n;
    });
    std::string error;
    if (!reader.ReadHeader(error)) return 0;
    std::vector<uint8_t> rgb;
    for (int frame = 0; frame < 8; ++frame)
        if (reader.ReadFrame(rgb, error) != tavik::enc::Y4mReader::Status::kFrame) break;
    return 0;
}
