// The output backends: the table's choice rules and CopyFromRing; the waveOut output's arithmetic
// (block size, the played position over runs of queued blocks, the volume word); and the
// DirectSound output's service pass over a simulated looping buffer: refills, the quarter rule,
// trailing silence, stopping and restarting, the position, the scales; the outputs' volume.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "audio/direct_sound_pass.h"
#include "audio/headless_backend.h"
#include "audio/output_volume.h"
#include "audio/sound_backend.h"
#include "audio/sound_ring.h"
#include "audio/wave_out_timing.h"
#include "tavik/sound.h"

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

constexpr uint32_t kRate = 22050;  // bytes per second of the reference movie's track

TEST(WaveOutTiming, QuarterSecondBlocksPlayAtTheByteRateInRuns) {
    // Blocks hold a quarter second in whole pages.
    const uint32_t cases[][2] = {
        {kRate, 8192}, {16384, 4096}, {16388, 8192}, {0, 0}, {0xFFFFFFFFu, 0x40000000u}};
    for (const auto& c : cases) EXPECT_EQ(WaveOutBlockSize(c[0]), c[1]) << c[0];
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

    // Blocks queued before the run played out extend it; later ones start a new run.
    WaveOutRun extended;
    WaveOutQueued(extended, 8192, 1000, kRate);
    WaveOutQueued(extended, 8192, 1300, kRate);
    EXPECT_EQ(std::tuple(extended.RunStart, extended.RunBytes, extended.PlayedBase),
              std::tuple(1000u, 16384u, 0u));
    EXPECT_EQ(WaveOutPlayed(extended, 1743), 16384u);

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

// An 8-bit mono track whose ring holds `used` bytes counting up from 1, the output's state, and
// a looping buffer whose play cursor the test moves.
struct Output : DsBufferCalls {
    Output(uint32_t ringSize, uint32_t used)
        : ring(ringSize), bytes(DirectSoundBufferSize(kRate), 0xEE) {
        for (uint32_t i = 0; i < ringSize; ++i) ring[i] = static_cast<uint8_t>(1 + i % 250);
        track.BufStart = track.BufRead = ring.data();
        track.BufEnd = ring.data() + ringSize;
        track.BufUsed = used;
        track.BytesPerSecond = kRate;
        s.DsSize = static_cast<uint32_t>(bytes.size());
    }
    // A playing buffer written up to `offset`, `free` bytes free when the cursor was at `last`.
    void Playing(uint32_t offset, uint32_t free, uint32_t last, uint32_t now) {
        s.DsStopped = 0;
        s.DsWriteOffset = offset;
        s.DsFree = free;
        s.DsLastPlay = last;
        cursor = now;
        playing = true;
    }
    void Pass() { DirectSoundTrackPass(track, s, *this); }

    bool PlayCursor(uint32_t* c) override { return *c = cursor, true; }
    bool Lock(uint32_t offset, uint32_t count, DsLockedParts* parts) override {
        ++locks;
        const uint32_t first = std::min(count, static_cast<uint32_t>(bytes.size()) - offset);
        *parts = DsLockedParts{&bytes[offset], first, first < count ? bytes.data() : nullptr,
                               count - first};
        return !failLock;
    }
    void Unlock(const DsLockedParts&) override { ++unlocks; }
    void StopAndRewind() override { playing = false, cursor = 0, ++stops; }
    void Play() override { playing = true; }

    std::vector<uint8_t> ring;
    TavikSoundTrack track{};
    DsTrackState s;
    std::vector<uint8_t> bytes;
    uint32_t cursor = 0;
    bool playing = false, failLock = false;
    int locks = 0, unlocks = 0, stops = 0;
};

TEST(DirectSoundPass, AStoppedBufferIsFilledFromZeroAndStartedInWholeFours) {
    Output o(65536, 20000);
    o.Pass();
    EXPECT_EQ(o.s.DsWritten, 12288u);
    EXPECT_EQ(o.s.DsWriteOffset, 0u);  // wrapped at the end
    EXPECT_EQ(std::tuple(o.s.DsFree, o.track.BufUsed, o.bytes[0], o.bytes[12287]),
              std::tuple(0u, 20000u - 12288u, 1, o.ring[12287]));
    EXPECT_TRUE(o.playing);
    EXPECT_EQ(std::tuple(o.s.DsStopped, o.track.Underrun), std::tuple(0u, 0u));

    // Then it writes only when more than a quarter is free.
    const int locks = o.locks;
    o.Playing(0, 2000, 0, 100);  // 2100 free
    o.Pass();
    EXPECT_EQ(std::tuple(o.locks, o.s.DsFree), std::tuple(locks, 2100u));
    o.Playing(0, 4000, 0, 100);  // 4100 free
    o.Pass();
    EXPECT_EQ(std::tuple(o.s.DsWritten, o.s.DsFree), std::tuple(12288u + 4100u, 0u));

    // Whole fours are written, wrapping across the end.
    Output w(64, 10);
    w.Playing(12284, 3100, 0, 0);
    w.Pass();
    EXPECT_EQ(std::tuple(w.s.DsWritten, w.track.BufUsed, w.s.DsWriteOffset),
              std::tuple(8u, 2u, 4u));
    EXPECT_EQ((std::vector<int>{w.bytes[12284], w.bytes[0], w.bytes[3], w.bytes[4]}),
              (std::vector<int>{1, 5, 8, 0xEE}));
}

TEST(DirectSoundPass, ADryRingGetsTrailingSilenceThenStops) {
    Output o(64, 3);
    o.Playing(1000, 9000, 10000, 11000);  // 10000 free: more than four fifths
    o.s.DsWritten = 50000;
    o.Pass();
    EXPECT_EQ(std::tuple(o.s.DsDataEnd, o.s.DsSilenceEnd, o.s.DsWritten, o.track.BufUsed,
                         o.track.Underrun),
              std::tuple(1003, 1000u + 3072u + 3u, 50003u, 0u, 1u));
    EXPECT_EQ((std::vector<int>{o.bytes[1000], o.bytes[1003], o.bytes[4074], o.bytes[4075]}),
              (std::vector<int>{1, 0x80, 0x80, 0xEE}));

    // New sound in the ring is not written while the last sound plays towards the silence.
    o.track.BufUsed = 1000;
    o.track.Underrun = 0;
    o.cursor = 12000;
    o.Pass();
    EXPECT_EQ(o.s.DsWritten, 50003u);
    EXPECT_TRUE(o.playing);
    EXPECT_EQ(o.track.Underrun, 0u);

    // The cursor in the silence stops the buffer; the same pass refills it from 0 and starts it.
    o.cursor = 2000;
    o.Pass();
    EXPECT_EQ(std::tuple(o.stops, o.track.Underrun, o.s.DsDataEnd, o.s.DsWritten, o.s.DsWriteOffset,
                         o.s.DsStopped),
              std::tuple(1, 1u, -1, 50003u + 1000u, 1000u, 0u));
    EXPECT_TRUE(o.playing);
}

TEST(DirectSoundPass, SilenceThatWrapsOrEverythingPlayedStopsTheBuffer) {
    Output wraps(64, 0);
    wraps.Playing(11000, 12000, 10900, 10950);
    wraps.Pass();
    EXPECT_EQ(std::tuple(wraps.s.DsDataEnd, wraps.s.DsSilenceEnd),
              std::tuple(11000, 11000u + 3072u - 12288u));
    wraps.cursor = 100;  // past the end, inside the silence
    wraps.Pass();
    EXPECT_EQ(wraps.stops, 1);
    EXPECT_FALSE(wraps.playing);  // nothing to play: stays stopped
    EXPECT_EQ(wraps.s.DsStopped, 1u);

    Output played(64, 0);
    played.Playing(0, 12000, 0, 400);
    played.Pass();
    EXPECT_EQ(std::tuple(played.stops, played.track.Underrun, played.s.DsStopped),
              std::tuple(1, 1u, 1u));
    EXPECT_EQ(played.locks, 0);  // a stopped buffer is not started with silence alone

    Output failed(65536, 5000);  // a failed lock changes nothing
    failed.failLock = true;
    failed.Pass();
    EXPECT_EQ(std::tuple(failed.s.DsWritten, failed.track.BufUsed, failed.unlocks),
              std::tuple(0u, 5000u, 0));
}

TEST(DirectSoundPass, PositionCountsPlayedBytesAndNeverGoesBackAndTheScales) {
    DsTrackState s;
    s.DsSize = 12288;
    s.DsWritten = 20000;
    s.DsFree = 4288;  // 8000 not yet played
    EXPECT_EQ(DirectSoundPlayed(s, true, 1000, kRate), 12000u);
    EXPECT_EQ(DirectSoundPlayed(s, true, 1005, kRate), 12110u);  // unmoved: on by the clock
    EXPECT_EQ(DirectSoundPlayed(s, true, 9000, kRate), 20000u);  // never beyond what was written
    s.DsFree = 0;  // a smaller count (the buffer was refilled) does not move it back
    EXPECT_EQ(DirectSoundPlayed(s, true, 9010, kRate), 20000u);
    // Without a buffer, everything written counts; more unplayed than written counts as 0.
    DsTrackState t;
    t.DsSize = 12288;
    t.DsWritten = 100;
    EXPECT_EQ(DirectSoundPlayed(t, true, 0, kRate), 0u);
    EXPECT_EQ(DirectSoundPlayed(t, false, 0, kRate), 100u);
    DirectSoundResetState(t);
    EXPECT_EQ(std::tuple(t.DsWritten + t.DsMaxPos, t.DsStopped), std::tuple(0u, 1u));

    // The buffer holds half a second in whole pages.
    EXPECT_EQ(std::tuple(DirectSoundBufferSize(kRate), DirectSoundBufferSize(8192),
                         DirectSoundBufferSize(0)),
              std::tuple(12288u, 4096u, 0u));
    const int32_t volumes[][2] = {{32768, 0}, {16384, -609}, {0, -10000}, {99999, 0}};
    for (const auto& v : volumes) EXPECT_EQ(DirectSoundVolumeValue(v[0]), v[1]) << v[0];
    const int32_t pans[][2] = {
        {32768, -7}, {0, -10000}, {65535, 10000}, {70000, 10000}, {-1, -10000}};
    for (const auto& p : pans) EXPECT_EQ(DirectSoundPanValue(p[0]), p[1]) << p[0];
}

// The volume scales samples toward silence on their way to the device (8-bit around 128, 16-bit
// signed), and 100 leaves them exactly as they are.
TEST(OutputVolume, ScalesWhatGoesToTheDeviceTowardSilence) {
    Output o(64, 20);
    TavikSetOutputVolume(50);
    o.Pass();
    EXPECT_EQ((std::vector<int>{o.bytes[0], o.bytes[19]}), (std::vector<int>{65, 74}));
    TavikSoundTrack wide{};
    wide.Is16Bit = 1;
    uint8_t samples[] = {0x00, 0x80, 0xFF, 0x7F, 0x0A, 0x00, 0x80, 0x00};
    ApplyOutputVolume(wide, samples, sizeof samples);
    EXPECT_EQ((std::vector<int>(samples, samples + 8)),
              (std::vector<int>{0x00, 0xC0, 0xFF, 0x3F, 0x05, 0x00, 0x40, 0x00}));
    TavikSetOutputVolume(1000);  // more than full is full: nothing changes
    ApplyOutputVolume(wide, samples, sizeof samples);
    EXPECT_EQ(std::tuple(samples[1], samples[6]), std::tuple(0xC0, 0x40));
    EXPECT_EQ(OutputVolume(), 100u);
}

}  // namespace
}  // namespace tavik::test
