// Looks into the processor state words of the wide-loop check (declared in frame_helpers.h).
#pragma once

#include <cstdint>

namespace tavik {

// The processor state word: 1 has the wide instructions, 2 detection ran, 4 switched off.
uint32_t ProcessorState();
// Back to the state at process start (nothing detected, nothing asked). For tests.
void ResetProcessorCheck();

}  // namespace tavik
