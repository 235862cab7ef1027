// The processor check for the wide loops.
#include <gtest/gtest.h>

#include <cstdint>

#include "video/frame_helpers.h"
#include "video/processor_check.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace tavik {
namespace {

// Detection runs on first use, even when the wide loops are switched off before it; a query
// keeps the setting. The check ends "switched on, detected" for the tests that follow.
TEST(VideoProcessorCheck, DetectsOnFirstUseAndSwitches) {
    ResetProcessorCheck();
    EXPECT_EQ(ProcessorAnswer(), 0u);
    EXPECT_EQ(UseMMX(0), 0u);
    EXPECT_EQ(ProcessorAnswer(), 1u);
    const uint32_t state = ProcessorState(), hasWide = state & 1u;
    EXPECT_EQ(state & 6u, 6u);  // detection ran, switched off
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    ASSERT_NE(__get_cpuid(1, &eax, &ebx, &ecx, &edx), 0);
    EXPECT_EQ(hasWide, (edx >> 23) & 1u);
#else
    EXPECT_EQ(hasWide, 1u);  // the 64-bit-word loops run everywhere
#endif
    EXPECT_EQ(UseMMX(2), 0u);
    EXPECT_EQ(ProcessorCheck(), 1u);
    EXPECT_EQ(UseMMX(1), hasWide);
    EXPECT_EQ(UseMMX(0xFFFFFFFF), hasWide);
    EXPECT_EQ(ProcessorAnswer(), hasWide ? 2u : 1u);
    ResetProcessorCheck();
    EXPECT_EQ(ProcessorCheck(), hasWide ? 2u : 1u);  // detected by the check itself
}

}  // namespace
}  // namespace tavik
