// The backend table's choice rules, CopyFromRing, the debug line form, and the waveOut
// output's arithmetic: block size, the played-position estimate over runs of queued blocks, and
// the volume word.
#include <gtest/gtest.h>

#include <tuple>

#include "audio/headless_backend.h"
#include "audio/sound_backend.h"
#include "audio/sound_debug.h"
#include "audio/sound_ring.h"
#include "audio/wave_out_timing.h"
#include "support/fake_system.h"

namespace tavik::test {
namespace {

TEST(AudioBackend, CopyFromRingWrapsAtTheEnd) {
    uint8_t ring[32];
    for (int i = 0; i < 32; ++i) ring[i] = static_cast<uint8_t>(i);
    uint8_t out[16] = {};
    EXPECT_EQ(CopyFromRing(out, ring + 22, ring, ring + 32, 10), ring);
    EXPECT_EQ(std::tuple(out[0], out[9]), std::tuple(22, 31));
    EXPECT_EQ(CopyFromRing(out, ring + 22, ring, ring + 32, 16), ring + 6);
    EXPECT_EQ(std::tuple(out[9], out[10], out[15]), std::tuple(31, 0, 5));
    EXPECT_EQ(CopyFromRing(out, ring + 4, ring, ring + 32, 8), ring + 12);
    EXPECT_EQ(out[0], 4);
}

TEST(AudioBackend, TheFirstChoiceStays) {
    ReplaceSoundBackendForTest(nullptr);
    EXPECT_EQ(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(UseDirectSound(nullptr), 0u);  // no DirectSound here: nothing installed
    EXPECT_EQ(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(UseWaveOut(), 1u);
    ASSERT_NE(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(InstalledSoundBackend()->SoundOpen, HeadlessBackend().SoundOpen);
    EXPECT_EQ(UseWaveOut(), 0u);
    EXPECT_EQ(UseDirectSound(nullptr), 0u);  // installed, and not DirectSound
    ReplaceSoundBackendForTest(nullptr);
}

TEST(AudioBackend, DebugLinesOnlyWhenTheSettingsLowByteIsOne) {
    FakeSystem system;
    system.debugSetting = 0x101;
    SoundDebugLine("Open failed - error #: ", -2147024809);
    SoundDebugLine("Plain text\r\n");
    EXPECT_EQ(system.debugOutput, "Open failed - error #: -2147024809\r\nPlain text\r\n");
    system.debugOutput.clear();
    system.debugSetting = 2;
    SoundDebugLine("Open failed - error #: ", 5);
    EXPECT_EQ(system.debugOutput, "");
}

constexpr uint32_t kRate = 22050;  // bytes per second of the reference movie's track

TEST(WaveOutTiming, BlocksHoldAQuarterSecondInWholePages) {
    const uint32_t cases[][2] = {
        {kRate, 8192}, {16384, 4096}, {16388, 8192}, {0, 0}, {0xFFFFFFFFu, 0x40000000u}};
    for (const auto& c : cases) EXPECT_EQ(WaveOutBlockSize(c[0]), c[1]) << c[0];
}

TEST(WaveOutTiming, ARunPlaysAtTheByteRate) {
    WaveOutRun run;
    EXPECT_EQ(WaveOutPlayed(run, 5000), 0u);  // nothing queued
    WaveOutQueued(run, 8192, 1000, kRate);
    EXPECT_EQ(run.RunMillis, 371u);
    const uint32_t played[][2] = {
        {1000, 0}, {1185, 4084}, {1370, 8169}, {1371, 8192}, {9000, 8192}};
    for (const auto& p : played) EXPECT_EQ(WaveOutPlayed(run, p[0]), p[1]) << p[0];

    WaveOutRun wrapping;  // the clock may wrap inside a run
    WaveOutQueued(wrapping, 8192, 0xFFFFFF00u, kRate);
    EXPECT_EQ(WaveOutPlayed(wrapping, 0x00000010u), 8192u * 272 / 371);

    WaveOutRun tiny;  // the primer's size: 0 ms of sound, and no division by zero
    WaveOutQueued(tiny, 4, 1000, kRate);
    EXPECT_EQ(WaveOutPlayed(tiny, 1000), 4u);
    WaveOutRun silent;
    WaveOutQueued(silent, 100, 1000, 0);
    EXPECT_EQ(WaveOutPlayed(silent, 1000), 100u);
}

TEST(WaveOutTiming, BlocksQueuedInTimeExtendTheRunLateOnesStartANewOne) {
    WaveOutRun run;
    WaveOutQueued(run, 8192, 1000, kRate);
    WaveOutQueued(run, 8192, 1300, kRate);  // before the first block played out
    EXPECT_EQ(std::tuple(run.RunStart, run.RunBytes, run.PlayedBase),
              std::tuple(1000u, 16384u, 0u));
    EXPECT_EQ(WaveOutPlayed(run, 1743), 16384u);

    WaveOutRun late;
    WaveOutQueued(late, 8192, 1000, kRate);
    WaveOutQueued(late, 4096, 1381, kRate);  // 10 ms after the run ended
    EXPECT_EQ(std::tuple(late.PlayedBase, late.RunStart), std::tuple(8192u, 1381u));
    EXPECT_EQ(WaveOutPlayed(late, 1381), 8192u);
    WaveOutRun edge;  // exactly at the end of the run still counts as inside it
    WaveOutQueued(edge, 8192, 1000, kRate);
    WaveOutQueued(edge, 4096, 1371, kRate);
    EXPECT_EQ(std::tuple(edge.PlayedBase, edge.RunBytes), std::tuple(0u, 12288u));
}

TEST(WaveOutTiming, VolumeAndPanSplitIntoChannels) {
    const struct {
        int32_t volume, pan;
        uint32_t word;
    } cases[] = {
        {65535, 32768, 0xFFFFFFFFu},
        {40000, 16384, 40000u | 20000u << 16},
        {40000, 49152, 20000u | 40000u << 16},
        {65535, 0, 65535u},            // full left
        {65535, 65536, 65535u << 16},  // full right
        {100000, 32768, 0xFFFFFFFFu},  // volume capped
        {-5, -5, 0u},
    };
    for (const auto& c : cases) EXPECT_EQ(WaveOutVolumeWord(c.volume, c.pan), c.word) << c.pan;
}

}  // namespace
}  // namespace tavik::test
