// The waveOut output's arithmetic: block size, the played-position estimate over runs of
// queued blocks, and the volume word.
#include <gtest/gtest.h>

#include "audio/wave_out_timing.h"

namespace tavik::test {
namespace {

constexpr uint32_t kRate = 22050;  // bytes per second of the reference movie's track

TEST(WaveOutTiming, BlocksHoldAQuarterSecondInWholePages) {
    EXPECT_EQ(WaveOutBlockSize(kRate), 8192u);
    EXPECT_EQ(WaveOutBlockSize(16384), 4096u);
    EXPECT_EQ(WaveOutBlockSize(16388), 8192u);
    EXPECT_EQ(WaveOutBlockSize(0), 0u);
    EXPECT_EQ(WaveOutBlockSize(0xFFFFFFFFu), 0x40000000u);
}

TEST(WaveOutTiming, NothingQueuedMeansNothingPlayed) {
    WaveOutRun run;
    EXPECT_EQ(WaveOutPlayed(run, 5000), 0u);
}

TEST(WaveOutTiming, ARunPlaysAtTheByteRate) {
    WaveOutRun run;
    WaveOutQueued(run, 8192, 1000, kRate);
    EXPECT_EQ(run.RunStart, 1000u);
    EXPECT_EQ(run.RunMillis, 371u);
    EXPECT_EQ(WaveOutPlayed(run, 1000), 0u);
    EXPECT_EQ(WaveOutPlayed(run, 1185), 4084u);
    EXPECT_EQ(WaveOutPlayed(run, 1371), 8192u);
    EXPECT_EQ(WaveOutPlayed(run, 9000), 8192u);  // never beyond what was queued
}

TEST(WaveOutTiming, BlocksQueuedInTimeExtendTheRun) {
    WaveOutRun run;
    WaveOutQueued(run, 8192, 1000, kRate);
    WaveOutQueued(run, 8192, 1300, kRate);  // before the first block played out
    EXPECT_EQ(run.RunStart, 1000u);
    EXPECT_EQ(run.RunBytes, 16384u);
    EXPECT_EQ(run.RunMillis, 743u);
    EXPECT_EQ(run.PlayedBase, 0u);
    EXPECT_EQ(WaveOutPlayed(run, 1743), 16384u);
}

TEST(WaveOutTiming, ALateBlockStartsANewRun) {
    WaveOutRun run;
    WaveOutQueued(run, 8192, 1000, kRate);
    WaveOutQueued(run, 4096, 1381, kRate);  // 10 ms after the run ended
    EXPECT_EQ(run.PlayedBase, 8192u);
    EXPECT_EQ(run.RunStart, 1381u);
    EXPECT_EQ(run.RunBytes, 4096u);
    EXPECT_EQ(WaveOutPlayed(run, 1381), 8192u);
    // Exactly at the end of the run still counts as inside it.
    WaveOutRun edge;
    WaveOutQueued(edge, 8192, 1000, kRate);
    WaveOutQueued(edge, 4096, 1371, kRate);
    EXPECT_EQ(edge.PlayedBase, 0u);
    EXPECT_EQ(edge.RunBytes, 12288u);
}

TEST(WaveOutTiming, TheClockMayWrapInsideARun) {
    WaveOutRun run;
    WaveOutQueued(run, 8192, 0xFFFFFF00u, kRate);
    EXPECT_EQ(WaveOutPlayed(run, 0x00000010u), 8192u * 272 / 371);
}

TEST(WaveOutTiming, TinyRunsNeverDivideByZero) {
    WaveOutRun run;
    WaveOutQueued(run, 4, 1000, kRate);  // the primer's size: 0 ms of sound
    EXPECT_EQ(run.RunMillis, 0u);
    EXPECT_EQ(WaveOutPlayed(run, 1000), 4u);
    WaveOutRun silent;
    WaveOutQueued(silent, 100, 1000, 0);
    EXPECT_EQ(WaveOutPlayed(silent, 1000), 100u);
}

TEST(WaveOutTiming, VolumeAndPanSplitIntoChannels) {
    EXPECT_EQ(WaveOutVolumeWord(65535, 32768), 0xFFFFFFFFu);
    EXPECT_EQ(WaveOutVolumeWord(40000, 16384), 40000u | 20000u << 16);
    EXPECT_EQ(WaveOutVolumeWord(40000, 49152), 20000u | 40000u << 16);
    EXPECT_EQ(WaveOutVolumeWord(65535, 0), 65535u);            // full left
    EXPECT_EQ(WaveOutVolumeWord(65535, 65536), 65535u << 16);  // full right
    EXPECT_EQ(WaveOutVolumeWord(100000, 32768), 0xFFFFFFFFu);  // volume capped
    EXPECT_EQ(WaveOutVolumeWord(-5, -5), 0u);
}

}  // namespace
}  // namespace tavik::test
