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

// Puts the check back to "switched on, detected" for the tests that follow.
class VideoProcessorCheck : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessorCheck(); }
    void TearDown() override { UseMMX(1); }
};

TEST_F(VideoProcessorCheck, SwitchedOffBeforeTheFirstCheckStillDetects) {
    EXPECT_EQ(ProcessorAnswer(), 0u);
    EXPECT_EQ(UseMMX(0), 0u);
    EXPECT_EQ(ProcessorAnswer(), 1u);
    const uint32_t state = ProcessorState();
    EXPECT_EQ(state & 6u, 6u);  // detection ran, switched off
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    ASSERT_NE(__get_cpuid(1, &eax, &ebx, &ecx, &edx), 0);
    EXPECT_EQ(state & 1u, (edx >> 23) & 1u);
#else
    EXPECT_EQ(state & 1u, 1u);  // the 64-bit-word loops run everywhere
#endif
}

TEST_F(VideoProcessorCheck, SettingsSwitchAndQuery) {
    const uint32_t hasWide = [] {
        ProcessorCheck();
        return ProcessorState() & 1u;
    }();
    EXPECT_EQ(ProcessorCheck(), hasWide ? 2u : 1u);
    EXPECT_EQ(UseMMX(0), 0u);
    EXPECT_EQ(UseMMX(2), 0u);  // a query leaves it switched off
    EXPECT_EQ(ProcessorCheck(), 1u);
    EXPECT_EQ(UseMMX(1), hasWide);
    EXPECT_EQ(UseMMX(0xFFFFFFFF), hasWide);
    EXPECT_EQ(ProcessorAnswer(), hasWide ? 2u : 1u);
}

}  // namespace
}  // namespace tavik
