// The 16-bit colour tables and the processor check for the wide loops.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "video/frame_helpers.h"
#include "video/processor_check.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace tavik {
namespace {

TEST(VideoColourTable, PacksTheTopBitsOfEachChannel) {
    std::array<uint8_t, 768> palette{};
    const uint8_t colours[][3] = {{255, 255, 255}, {8, 4, 8}, {7, 3, 7}, {0x80, 0x40, 0x20}};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 3; ++k) palette[3 * i + k] = colours[i][k];
    }
    std::array<uint16_t, 256> table555{};
    std::array<uint16_t, 256> table565{};
    BuildColourTable555(table555.data(), palette.data());
    BuildColourTable565(table565.data(), palette.data());

    EXPECT_EQ(table555[0], 0x7FFF);
    EXPECT_EQ(table565[0], 0xFFFF);
    EXPECT_EQ(table555[1], 0x0401);
    EXPECT_EQ(table565[1], 0x0821);
    EXPECT_EQ(table555[2], 0);  // below one step of every channel
    EXPECT_EQ(table565[2], 0x0000);
    EXPECT_EQ(table555[3], 16 << 10 | 8 << 5 | 4);
    EXPECT_EQ(table565[3], 16 << 11 | 16 << 5 | 4);
    EXPECT_EQ(table555[255], 0);
}

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
