// The loops that turn runs of palette indices into truecolour, through per-byte tables: one
// table per output byte, so that any byte order is the same loop. Chosen once per process.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavik {

struct ConvertKernels {
    // 4 bytes a pixel: byte b of pixel i is tables[b][from[i]] for b < 3, and 255 for b = 3.
    void (*run32)(const uint8_t* from, size_t count, const uint8_t (*tables)[256], uint8_t* to);
    // 2 bytes a pixel: byte b of pixel i is tables[b][from[i]].
    void (*run16)(const uint8_t* from, size_t count, const uint8_t (*tables)[256], uint8_t* to);
};

const ConvertKernels& PortableConvertKernels();
// Loops for processors with 512-bit byte permutes; null on other processors and builds.
const ConvertKernels* WideConvertKernels();
// The fastest loops this processor runs.
const ConvertKernels& ChosenConvertKernels();

}  // namespace tavik
