// The pixel loops behind Blit: one scaler per mode, collected in tables of function pointers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavik {

// Every scaler takes the address of the rectangle's first destination pixel, a destination
// step, the address of its first source pixel, a source step, the width and height in source
// pixels and, where needed, a table. The steps mean, by mode (skips are added after a line's
// last pixel, pitches are the distance between lines):
//   0 copy                           destination skip, source skip
//   1 double                         destination pitch, source skip
//   2 double, interlaced             destination skip to two lines down, source skip
//   3 smooth                         destination pitch, source pitch; 8-bit smoothing table
//   6 convert                        destination skip, source skip; colour table
//   7 convert and double             destination pitch, source skip; colour table
//   8 convert and double, interlaced destination skip to two lines down, source skip; colour table
//   9 convert and smooth             destination pitch, source pitch; 16-bit smoothing table
using Scaler = void (*)(uint8_t* destination, ptrdiff_t destinationStep, const uint8_t* source,
                        ptrdiff_t sourceStep, uint32_t width, uint32_t height, const void* table);

// Indexed by mode number; modes 4 and 5 are null.
struct ScalerTable {
    Scaler byMode[10];
};

// The plain loops.
const ScalerTable& PlainScalers();
// The plain loops with the wide loops of modes 1, 2, 7 and 8 installed: SSE2 on x86-64, 64-bit
// words elsewhere.
const ScalerTable& WideScalers();
// The plain loops with the 64-bit-word loops installed (available on every processor).
const ScalerTable& WordScalers();

// The plain loops.
void ScaleCopy(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t, const void*);
void ScaleDouble(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t, const void*);
void ScaleDoubleInterlaced(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                           const void*);
void ScaleSmooth(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t, const void*);
void ScaleConvert(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t, const void*);
void ScaleConvertDouble(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                        const void*);
void ScaleConvertDoubleInterlaced(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t,
                                  uint32_t, const void*);
void ScaleConvertSmooth(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                        const void*);

// The 64-bit-word loops.
void ScaleDoubleWords(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                      const void*);
void ScaleDoubleInterlacedWords(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                                const void*);
void ScaleConvertDoubleWords(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                             const void*);
void ScaleConvertDoubleInterlacedWords(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t,
                                       uint32_t, const void*);

#if defined(__x86_64__)
// The SSE2 loops.
void ScaleDoubleSse2(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                     const void*);
void ScaleDoubleInterlacedSse2(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                               const void*);
void ScaleConvertDoubleSse2(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t, uint32_t,
                            const void*);
void ScaleConvertDoubleInterlacedSse2(uint8_t*, ptrdiff_t, const uint8_t*, ptrdiff_t, uint32_t,
                                      uint32_t, const void*);
#endif

}  // namespace tavik
