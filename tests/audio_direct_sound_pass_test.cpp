// The DirectSound output's service pass over a simulated looping buffer: refills, the quarter
// rule, trailing silence, stopping and restarting, the position, and the volume scales.
#include <gtest/gtest.h>

#include <vector>

#include "audio/direct_sound_pass.h"
#include "audio/sound_ring.h"

namespace tavik::test {
namespace {

constexpr uint32_t kRate = 22050;

// A looping buffer whose play cursor the test moves.
class FakeBuffer : public DsBufferCalls {
  public:
    explicit FakeBuffer(uint32_t size) : bytes(size, 0xEE) {}
    bool PlayCursor(uint32_t* c) override {
        *c = cursor;
        return true;
    }
    bool Lock(uint32_t offset, uint32_t count, DsLockedParts* parts) override {
        ++locks;
        if (failLock) return false;
        const uint32_t size = static_cast<uint32_t>(bytes.size());
        const uint32_t first = std::min(count, size - offset);
        *parts = DsLockedParts{bytes.data() + offset, first, first < count ? bytes.data() : nullptr,
                               count - first};
        return true;
    }
    void Unlock(const DsLockedParts&) override { ++unlocks; }
    void StopAndRewind() override {
        playing = false;
        cursor = 0;
        ++stops;
    }
    void Play() override {
        playing = true;
        ++plays;
    }

    std::vector<uint8_t> bytes;
    uint32_t cursor = 0;
    bool playing = false, failLock = false;
    int locks = 0, unlocks = 0, stops = 0, plays = 0;
};

// A 8-bit mono track with a ring of `ringSize` bytes holding `used` bytes counting up from 1.
struct RingTrack {
    std::vector<uint8_t> ring;
    TavikSoundTrack track{};

    RingTrack(uint32_t ringSize, uint32_t used) : ring(ringSize) {
        for (uint32_t i = 0; i < ringSize; ++i) ring[i] = static_cast<uint8_t>(1 + i % 250);
        track.BufStart = track.BufRead = ring.data();
        track.BufEnd = ring.data() + ringSize;
        track.BufUsed = used;
        track.BytesPerSecond = kRate;
    }
};

DsTrackState Fresh() {
    DsTrackState s;
    s.DsSize = DirectSoundBufferSize(kRate);
    return s;
}

TEST(DirectSoundPass, BufferIsHalfASecondInWholePages) {
    EXPECT_EQ(DirectSoundBufferSize(kRate), 12288u);
    EXPECT_EQ(DirectSoundBufferSize(8192), 4096u);
    EXPECT_EQ(DirectSoundBufferSize(0), 0u);
}

TEST(DirectSoundPass, AStoppedBufferIsFilledFromZeroAndStarted) {
    RingTrack t(65536, 20000);
    DsTrackState s = Fresh();
    FakeBuffer b(s.DsSize);
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsWritten, 12288u);
    EXPECT_EQ(s.DsWriteOffset, 0u);  // wrapped at the end
    EXPECT_EQ(s.DsFree, 0u);
    EXPECT_EQ(t.track.BufUsed, 20000u - 12288u);
    EXPECT_EQ(b.bytes[0], 1);
    EXPECT_EQ(b.bytes[12287], t.ring[12287]);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(s.DsStopped, 0u);
    EXPECT_EQ(t.track.Underrun, 0u);
}

TEST(DirectSoundPass, WritesOnlyWhenMoreThanAQuarterIsFree) {
    RingTrack t(65536, 30000);
    DsTrackState s = Fresh();
    FakeBuffer b(s.DsSize);
    DirectSoundTrackPass(t.track, s, b);  // fills all 12288
    s.DsFree = 2000;
    s.DsLastPlay = 0;
    b.cursor = 100;  // 2100 free: a quarter or less
    const int locks = b.locks;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(b.locks, locks);
    EXPECT_EQ(s.DsFree, 2100u);
    s.DsFree = 4000;
    b.cursor = 200;  // 4100 free
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsWritten, 12288u + 4100u);
    EXPECT_EQ(s.DsFree, 0u);
}

TEST(DirectSoundPass, WritesWholeFoursAndWrapsAcrossTheEnd) {
    RingTrack t(64, 10);
    DsTrackState s = Fresh();
    s.DsStopped = 0;
    s.DsWriteOffset = 12284;
    s.DsFree = 3100;
    s.DsLastPlay = 0;
    FakeBuffer b(s.DsSize);
    b.playing = true;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsWritten, 8u);
    EXPECT_EQ(t.track.BufUsed, 2u);
    EXPECT_EQ(s.DsWriteOffset, 4u);
    EXPECT_EQ(b.bytes[12284], 1);
    EXPECT_EQ(b.bytes[0], 5);
    EXPECT_EQ(b.bytes[3], 8);
    EXPECT_EQ(b.bytes[4], 0xEE);
}

TEST(DirectSoundPass, ADryRingGetsTrailingSilenceThenStops) {
    RingTrack t(64, 3);
    DsTrackState s = Fresh();
    s.DsStopped = 0;
    s.DsWriteOffset = 1000;
    s.DsWritten = 50000;
    s.DsFree = 9000;
    s.DsLastPlay = 10000;
    FakeBuffer b(s.DsSize);
    b.playing = true;
    b.cursor = 11000;  // 10000 free: more than four fifths
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsDataEnd, 1003);
    EXPECT_EQ(s.DsSilenceEnd, 1000u + 3072u + 3u);
    EXPECT_EQ(s.DsWritten, 50003u);
    EXPECT_EQ(t.track.BufUsed, 0u);
    EXPECT_EQ(t.track.Underrun, 1u);
    EXPECT_EQ(b.bytes[1000], 1);
    EXPECT_EQ(b.bytes[1003], 0x80);
    EXPECT_EQ(b.bytes[1000 + 3074], 0x80);
    EXPECT_EQ(b.bytes[1000 + 3075], 0xEE);

    // New sound in the ring is not written while the last sound plays towards the silence.
    t.track.BufUsed = 1000;
    t.track.Underrun = 0;
    b.cursor = 12000;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsWritten, 50003u);
    EXPECT_TRUE(b.playing);
    EXPECT_EQ(t.track.Underrun, 0u);

    // The cursor in the silence stops the buffer; the same pass refills it from 0 and starts it.
    b.cursor = 2000;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(b.stops, 1);
    EXPECT_EQ(t.track.Underrun, 1u);
    EXPECT_EQ(s.DsDataEnd, -1);
    EXPECT_EQ(s.DsWritten, 50003u + 1000u);
    EXPECT_EQ(s.DsWriteOffset, 1000u);
    EXPECT_EQ(s.DsStopped, 0u);
    EXPECT_TRUE(b.playing);
}

TEST(DirectSoundPass, TrailingSilenceThatWrapsStillStops) {
    RingTrack t(64, 0);
    DsTrackState s = Fresh();
    s.DsStopped = 0;
    s.DsWriteOffset = 11000;
    s.DsFree = 12000;
    s.DsLastPlay = 10900;
    FakeBuffer b(s.DsSize);
    b.cursor = 10950;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsDataEnd, 11000);
    EXPECT_EQ(s.DsSilenceEnd, 11000u + 3072u - 12288u);
    b.cursor = 100;  // past the end, inside the silence
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(b.stops, 1);
    EXPECT_FALSE(b.playing);  // nothing to play: stays stopped
    EXPECT_EQ(s.DsStopped, 1u);
}

TEST(DirectSoundPass, EverythingPlayedStopsTheBuffer) {
    RingTrack t(64, 0);
    DsTrackState s = Fresh();
    s.DsStopped = 0;
    s.DsFree = 12000;
    s.DsLastPlay = 0;
    FakeBuffer b(s.DsSize);
    b.playing = true;
    b.cursor = 400;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(b.stops, 1);
    EXPECT_EQ(t.track.Underrun, 1u);
    EXPECT_EQ(s.DsStopped, 1u);
    EXPECT_EQ(b.locks, 0);  // a stopped buffer is not started with silence alone
}

TEST(DirectSoundPass, AFailedLockChangesNothing) {
    RingTrack t(65536, 5000);
    DsTrackState s = Fresh();
    FakeBuffer b(s.DsSize);
    b.failLock = true;
    DirectSoundTrackPass(t.track, s, b);
    EXPECT_EQ(s.DsWritten, 0u);
    EXPECT_EQ(t.track.BufUsed, 5000u);
    EXPECT_EQ(b.unlocks, 0);
}

TEST(DirectSoundPass, PositionCountsPlayedBytesAndNeverGoesBack) {
    DsTrackState s = Fresh();
    s.DsWritten = 20000;
    s.DsFree = 4288;  // 8000 not yet played
    EXPECT_EQ(DirectSoundPlayed(s, true, 1000, kRate), 12000u);
    // Unmoved 5 ms later: moved on by the clock, 110 bytes.
    EXPECT_EQ(DirectSoundPlayed(s, true, 1005, kRate), 12110u);
    // Never beyond what was written.
    EXPECT_EQ(DirectSoundPlayed(s, true, 9000, kRate), 20000u);
    // A smaller count (the buffer was refilled) does not move it back.
    s.DsFree = 0;
    s.DsWritten = 20000;
    EXPECT_EQ(DirectSoundPlayed(s, true, 9010, kRate), 20000u);
    // Without a buffer, everything written counts; more unplayed than written counts as 0.
    DsTrackState t = Fresh();
    t.DsWritten = 100;
    t.DsFree = 0;
    EXPECT_EQ(DirectSoundPlayed(t, true, 0, kRate), 0u);
    EXPECT_EQ(DirectSoundPlayed(t, false, 0, kRate), 100u);
    DirectSoundResetState(t);
    EXPECT_EQ(t.DsWritten, 0u);
    EXPECT_EQ(t.DsMaxPos, 0u);
    EXPECT_EQ(t.DsStopped, 1u);
}

TEST(DirectSoundPass, VolumeAndPanScales) {
    EXPECT_EQ(DirectSoundVolumeValue(32768), 0);
    EXPECT_EQ(DirectSoundVolumeValue(16384), -609);
    EXPECT_EQ(DirectSoundVolumeValue(0), -10000);
    EXPECT_EQ(DirectSoundVolumeValue(99999), 0);
    EXPECT_EQ(DirectSoundPanValue(32768), -7);
    EXPECT_EQ(DirectSoundPanValue(0), -10000);
    EXPECT_EQ(DirectSoundPanValue(65535), 10000);
    EXPECT_EQ(DirectSoundPanValue(70000), 10000);
    EXPECT_EQ(DirectSoundPanValue(-1), -10000);
}

}  // namespace
}  // namespace tavik::test
