// The portable conversion loops, and the choice between them and the wide ones.
#include "decoder/convert_kernels.h"

#include <cstring>

namespace tavik {
namespace {

void PortableRun32(const uint8_t* from, size_t count, const uint8_t (*tables)[256], uint8_t* to) {
    for (size_t i = 0; i < count; ++i, to += 4) {
        const uint8_t index = from[i];
        const uint8_t pixel[4] = {tables[0][index], tables[1][index], tables[2][index], 255};
        std::memcpy(to, pixel, 4);
    }
}

void PortableRun16(const uint8_t* from, size_t count, const uint8_t (*tables)[256], uint8_t* to) {
    for (size_t i = 0; i < count; ++i, to += 2) {
        to[0] = tables[0][from[i]];
        to[1] = tables[1][from[i]];
    }
}

}  // namespace

const ConvertKernels& PortableConvertKernels() {
    static constexpr ConvertKernels kernels{PortableRun32, PortableRun16};
    return kernels;
}

const ConvertKernels& ChosenConvertKernels() {
    // Set once, on first use (thread-safe), and never changed: nothing here varies per call.
    static const ConvertKernels& chosen =
        WideConvertKernels() ? *WideConvertKernels() : PortableConvertKernels();
    return chosen;
}

}  // namespace tavik
