// Sound track buffering and pacing through the movie core's hooks, with a scripted output.
#include <gtest/gtest.h>

#include "audio/audio_decoder.h"
#include "audio/sound_ring.h"
#include "audio/sound_tracks.h"
#include "audio/track_buffering.h"
#include "audio_test_support.h"

namespace tavik::test {
namespace {

constexpr uint32_t kFrameBytes = 1490227;  // 22050 bytes per second at 66 ms, times 1024
constexpr uint32_t kHalfSecond = 11289600;
using Bytes = std::vector<uint8_t>;

Bytes RingBytes(TavikSoundTrack& track, uint8_t* from, uint32_t count) {
    Bytes out(count);
    CopyFromRing(out.data(), from, track.BufStart, track.BufEnd, count);
    return out;
}
std::vector<uint8_t> Head(const std::vector<uint8_t>& v, size_t n) {
    return {v.begin(), v.begin() + n};
}

class AudioTrack : public ::testing::Test {
  protected:
    void SetUp() override {
        ScriptedSound::Reset();
        ReplaceSoundBackendForTest(&ScriptedSound::Table());
    }
    void TearDown() override {
        CloseSoundTracks(m);
        ASSERT_EQ(OpenTrackCount(), 0u);
        ASSERT_EQ(AudioTreeArea(), nullptr);
        ReplaceSoundBackendForTest(nullptr);
    }
    // A timing track of 8-bit mono at 22050 Hz.
    TavikSoundTrack& OpenOne(uint32_t maxSize) {
        EXPECT_TRUE(movie.Open(0, kMono8Plain, maxSize));
        return movie.Track(0);
    }
    HandMovie movie;
    TavikMovie* m = &movie.movie;
};

TEST_F(AudioTrack, SizesOpeningAndClosingCountMemoryAndTracks) {
    TrackSizes sizes;
    ASSERT_TRUE(TrackSizesFor(1000, 0, &sizes));  // as fast as possible: no sound per frame
    EXPECT_EQ(std::tuple(sizes.frameBytes, sizes.bufSize), std::tuple(0u, 8192u));
    ASSERT_TRUE(TrackSizesFor(176400, 100000, &sizes));  // 10-second frames: the 64-bit product
    EXPECT_EQ(sizes.frameBytes, 180633600u);
    EXPECT_FALSE(TrackSizesFor(4194305, 6600, &sizes));  // beyond what 32-bit counters hold
    EXPECT_FALSE(TrackSizesFor(176400, 600000, &sizes));
    TavikSoundTrack& track = OpenOne(23510);
    const uint32_t record = sizeof(TavikSoundTrack);
    EXPECT_EQ(std::tuple(m->MemUsed, m->TimingTrack, track.MaxChunk, track.BufEnd - track.BufStart,
                         track.BufRead, track.BytesPerSecond, track.BufStart[100]),
              std::tuple(record + kAudioTreeAreaSize + 28672, 0, 23508u, 28672, track.BufStart,
                         22050u, 0x80));

    // Refused: rate 0, not present, a failing output; none of them costs memory.
    const uint32_t before = m->MemUsed;
    EXPECT_FALSE(movie.Open(1, TAVIK_AUDIO_PRESENT, 100));
    EXPECT_FALSE(movie.Open(2, 22050, 100));
    ScriptedSound::openFails = true;
    EXPECT_FALSE(movie.Open(4, kMono8Plain, 100));
    ScriptedSound::openFails = false;
    EXPECT_EQ(std::tuple(m->MemUsed, m->Tracks[1], m->Tracks[4]),
              std::tuple(before, nullptr, nullptr));

    ASSERT_TRUE(movie.Open(3, kMono8Plain | TAVIK_AUDIO_16BIT, 100000));  // beyond the ring
    EXPECT_EQ(movie.Track(3).MaxChunk, movie.Track(3).BufSize);
    EXPECT_EQ(movie.Track(3).BufStart[0], 0x00);  // 16-bit silence
    EXPECT_EQ(m->TimingTrack, 0);
    EXPECT_EQ(OpenTrackCount(), 2u);

    // A second movie shares the tree area: it is not counted again, and stays until the last
    // track of either closes.
    HandMovie other;
    ASSERT_TRUE(other.Open(0, kMono8Plain, 100));
    EXPECT_EQ(other.movie.MemUsed, record + 28672);
    CloseSoundTracks(m);
    EXPECT_EQ(m->TimingTrack, -1);
    EXPECT_EQ(OpenTrackCount(), 1u);
    EXPECT_NE(AudioTreeArea(), nullptr);
    CloseSoundTracks(&other.movie);
    EXPECT_EQ(AudioTreeArea(), nullptr);
    EXPECT_EQ(ScriptedSound::Count("close"), 3);
}

TEST_F(AudioTrack, FeedingAdvancesTheClockAndFillsTheRing) {
    TavikSoundTrack& timing = OpenOne(23508);
    ASSERT_TRUE(movie.Open(1, kMono8Plain, 23508));
    TavikSoundTrack& second = movie.Track(1);

    const auto first = Ramp(23508, 1);
    movie.Feed({PlainChunk(first), PlainChunk(Ramp(100, 2))});
    EXPECT_EQ(std::tuple(m->SyncPending, ScriptedSound::services, timing.ExpectedWritten,
                         timing.SkipMark, timing.BufUsed, timing.TotalWritten, timing.BufWrite),
              std::tuple(1u, 1u, kFrameBytes, kHalfSecond + kFrameBytes, 23508u, 23508u,
                         timing.BufStart + 23508));
    EXPECT_EQ(RingBytes(timing, timing.BufStart, 23508), first);
    EXPECT_EQ(second.TotalWritten, 100u);
    EXPECT_EQ(second.ExpectedWritten, 0u);  // only the timing track keeps the clock

    // No chunk for the lowest track: no ring changes, but the clock still runs.
    movie.Feed({{}, PlainChunk(Ramp(100, 3))});
    EXPECT_EQ(std::tuple(timing.NoData, second.TotalWritten, ScriptedSound::services,
                         timing.ExpectedWritten),
              std::tuple(1u, 100u, 1u, 2 * kFrameBytes));

    // Only the lowest track has sound: the others take nothing and are not marked.
    movie.Feed({PlainChunk(Ramp(1456, 4))});
    EXPECT_EQ(std::tuple(timing.NoData, second.NoData, second.TotalWritten),
              std::tuple(0u, 0u, 100u));

    // The device takes 10000 bytes; the next chunk crosses the ring's end in its own byte order.
    timing.BufRead += 10000;
    timing.BufUsed -= 10000;
    const auto crossing = Ramp(8000, 5);
    uint8_t* at = timing.BufWrite;
    const uint32_t before = static_cast<uint32_t>(timing.BufEnd - at);
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(timing.BufWrite, timing.BufStart + (8000 - before));
    EXPECT_EQ(RingBytes(timing, at, 8000), crossing);

    // A chunk larger than the room left is cut: the ring then holds exactly its size.
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(std::tuple(timing.BufUsed, timing.BufWrite),
              std::tuple(timing.BufSize, timing.BufRead));

    // Paused: nothing at all.
    m->Paused = 1;
    m->SyncPending = 0;
    const uint32_t expected = timing.ExpectedWritten;
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(std::tuple(timing.ExpectedWritten, m->SyncPending), std::tuple(expected, 0u));
}

TEST_F(AudioTrack, TheClockFollowsTheSoundAndRebasesWithoutMovingItsPoints) {
    TavikSoundTrack& track = OpenOne(23508);
    movie.Feed({PlainChunk(Ramp(1000, 1))});  // should have brought 1455 bytes: pulled back
    EXPECT_EQ(std::tuple(track.ExpectedWritten, track.ExpectedBase, track.SkipMark),
              std::tuple(0u, 1000u, kHalfSecond));
    movie.Feed({PlainChunk(Ramp(2000, 1))});  // more than enough: never pulled forward
    EXPECT_EQ(std::tuple(track.ExpectedWritten, track.ExpectedBase),
              std::tuple(kFrameBytes, 1000u));

    // Near the counters' limit the base moves on and the due and skip points stay where they are.
    track.ExpectedWritten = 262144000 - 1000;
    track.SkipMark = track.ExpectedWritten + kHalfSecond;
    const uint64_t due = 1000 + (uint64_t{track.ExpectedWritten} + kFrameBytes) / 1024;
    AdvanceTimingClock(track);
    EXPECT_EQ(
        std::tuple(track.ExpectedBase, track.ExpectedWritten, DuePoint(track), SkipPoint(track)),
        std::tuple(1000u + 256000, kFrameBytes - 1000, due, due + kHalfSecond / 1024));
}

TEST_F(AudioTrack, UnderrunsPutSilenceAheadOfTheNextSound) {
    TavikSoundTrack& track = OpenOne(23508);
    const auto sound = Ramp(1456, 7);
    // Nothing written yet: no silence, but the cycle starts.
    track.Underrun = 1;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(std::tuple(track.SoundSkips, track.PadArmed), std::tuple(0u, 1u));
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(std::tuple(track.Underrun, track.PadArmed), std::tuple(0u, 0u));

    // The device ran dry (it took everything): 23508 - 1456 bytes of silence first.
    track.BufRead = track.BufWrite;
    track.BufUsed = 0;
    track.Underrun = 1;
    const uint32_t base = track.ExpectedBase, total = track.TotalWritten;
    uint8_t* at = track.BufWrite;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(std::tuple(track.SoundSkips, track.ExpectedBase, track.TotalWritten, track.BufUsed),
              std::tuple(1u, base + 22052, total + 23508, 23508u));
    EXPECT_EQ(RingBytes(track, at, 22052), Bytes(22052, 0x80));
    EXPECT_EQ(RingBytes(track, at + 22052, 1456), sound);
    EXPECT_EQ(TimingTrackSoundSkips(m), 1u);

    // An underrun flagged again before the second frame is cleared with the cycle.
    track.Underrun = 1;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(std::tuple(track.Underrun, track.SoundSkips), std::tuple(0u, 1u));

    // Silence is cut to the room the frame's sound leaves.
    track.Underrun = 1;
    const uint32_t room = track.BufSize - track.BufUsed;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(std::tuple(track.SoundSkips, track.BufUsed, track.TotalWritten),
              std::tuple(2u, track.BufSize, total + 23508 + 1456 + room));

    // A full ring: neither sound nor silence fits, and no skip is counted.
    movie.Feed({PlainChunk(sound)});
    track.Underrun = 1;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(track.SoundSkips, 2u);
}

TEST_F(AudioTrack, ChunksAreCheckedAgainstTheTrackAndTheFrame) {
    ASSERT_TRUE(movie.Open(0, kMono8Compressed | TAVIK_AUDIO_STEREO | TAVIK_AUDIO_16BIT, 4096));
    ASSERT_TRUE(movie.Open(1, kMono8Plain | TAVIK_AUDIO_STEREO | TAVIK_AUDIO_16BIT, 4096));
    TavikSoundTrack& packed = movie.Track(0);
    TavikSoundTrack& plain = movie.Track(1);
    std::fill(packed.BufStart, packed.BufEnd, 0xEE);

    // Sizes are rounded down to whole sample frames.
    const auto pcm = Ramp(40, 3);
    const auto stream = EncodeAudioStream(true, true, pcm);
    movie.Feed({CompressedChunk(stream, 42), PlainChunk(Ramp(10, 1))});
    EXPECT_EQ(packed.TotalWritten, 40u);
    EXPECT_EQ(RingBytes(packed, packed.BufStart, 40), pcm);
    EXPECT_EQ(plain.TotalWritten, 8u);

    // Data bit 0 with a size: the announced bytes are silence. A stream that ends early: its
    // sound, then silence.
    movie.Feed({CompressedChunk({0x00}, 16)});
    EXPECT_EQ(RingBytes(packed, packed.BufStart + 40, 16), std::vector<uint8_t>(16, 0));
    movie.Feed({CompressedChunk(Head(stream, stream.size() - 8), 40)});
    EXPECT_EQ(packed.TotalWritten, 96u);
    const auto got = RingBytes(packed, packed.BufStart + 56, 40);
    EXPECT_EQ(Head(got, 20), Head(pcm, 20));
    EXPECT_EQ(got.back(), 0);

    // A plain chunk whose length runs past its frame brings only the bytes inside the frame.
    auto longChunk = PlainChunk(Ramp(100, 9));
    longChunk[1] = 0x10;  // claims 4196 bytes
    movie.Feed({CompressedChunk(stream, 40), longChunk});
    EXPECT_EQ(plain.TotalWritten, 8u + 100 + 8);  // its data plus the frame's 8 trailing bytes
}

TEST_F(AudioTrack, LateTestAndWaitFollowThePlayedPosition) {
    EXPECT_EQ(WaitingForSound(m), kNoTimingTrack);
    EXPECT_FALSE(FrameLateBySound(m));
    TavikSoundTrack& track = OpenOne(23508);
    movie.Feed({PlainChunk(Ramp(23508, 1))});
    const uint32_t skip = SkipPoint(track);
    EXPECT_EQ(DuePoint(track), 1455u);
    EXPECT_EQ(skip, 1455u + 11025);

    ScriptedSound::position = skip - 1;
    EXPECT_FALSE(FrameLateBySound(m));
    EXPECT_EQ(m->SyncPending, 1u);
    EXPECT_EQ(WaitingForSound(m), kFrameDue);  // long past the due point
    EXPECT_EQ(m->SyncPending, 0u);
    EXPECT_TRUE(FrameLateBySound(m));  // no longer waiting: late

    movie.Feed({PlainChunk(Ramp(1456, 1))});
    ScriptedSound::position = skip;
    EXPECT_FALSE(FrameLateBySound(m));  // the skip point moved on with the frame
    ScriptedSound::position = SkipPoint(track);
    EXPECT_TRUE(FrameLateBySound(m));

    movie.Feed({PlainChunk(Ramp(1456, 1))});
    ScriptedSound::position = DuePoint(track) - 9;
    EXPECT_EQ(WaitingForSound(m), kWaitForSound);
    ScriptedSound::position = DuePoint(track) - 8;
    EXPECT_EQ(WaitingForSound(m), kFrameDue);

    // A frame without sound for the timing track is never late; paused, nothing is late or
    // waited for; with no frame time there is no late test at all.
    movie.Feed({});
    ScriptedSound::position = SkipPoint(track) + 1000;
    EXPECT_FALSE(FrameLateBySound(m));
    m->Paused = 1;
    EXPECT_EQ(WaitingForSound(m), kFrameDue);
    m->Paused = 0;
    m->FrameTime = 0;
    m->SyncPending = 0;
    EXPECT_FALSE(FrameLateBySound(m));
}

TEST_F(AudioTrack, PauseDropsQueuedSoundAndResumeRebuildsTheRing) {
    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);  // no timing track: nothing happens
    EXPECT_EQ(m->Paused, 0u);
    TavikSoundTrack& track = OpenOne(4000);
    // The sound crosses the ring's end: 2000 bytes there, 2000 at the start.
    track.BufRead = track.BufWrite = track.BufEnd - 2000;
    const auto sound = Ramp(4000, 3);
    movie.Feed({PlainChunk(sound)});
    track.BufRead = track.BufEnd - 1000;  // the device took 1000 bytes
    track.BufUsed -= 1000;
    m->FrameNum = 5;

    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);
    EXPECT_EQ(
        std::tuple(m->Paused, m->PauseFrame, track.BufUsed, track.TotalWritten, track.BufRead),
        std::tuple(1u, 5u, 0u, 1000u, track.BufWrite));
    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);  // already paused
    EXPECT_EQ(ScriptedSound::Count("stop"), 1);

    // Resuming on the frame it paused at plays the last MaxChunk bytes again.
    ScriptedSound::position = 900;
    track.Underrun = 1;
    EXPECT_EQ(SetSoundPlaying(m, 1), 1u);
    EXPECT_EQ(std::tuple(m->Paused, track.BufRead, track.BufUsed),
              std::tuple(0u, track.BufEnd - 2000, 4000u));
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), sound);
    EXPECT_EQ(std::tuple(track.ExpectedBase, track.ExpectedWritten, track.SkipMark,
                         track.TotalWritten, track.Underrun, ScriptedSound::calls.back()),
              std::tuple(900u, 0u, kHalfSecond, 5000u, 0u, "restart"));

    // After stepping on, the stretch is silence; a negative argument asks for silence even on
    // the paused frame.
    SetSoundPlaying(m, 0);
    m->FrameNum = 6;
    EXPECT_EQ(SetSoundPlaying(m, 1), 1u);
    EXPECT_EQ(track.BufRead, track.BufEnd - 2000);
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), Bytes(4000, 0x80));
    movie.Feed({PlainChunk(sound)});
    SetSoundPlaying(m, 0);
    EXPECT_EQ(SetSoundPlaying(m, -1), 1u);
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), Bytes(4000, 0x80));

    // On frame 0 the ring is not rebuilt; a failing restart leaves the movie paused.
    SetSoundPlaying(m, 0);
    m->FrameNum = 0;
    ScriptedSound::restartFails = true;
    EXPECT_EQ(SetSoundPlaying(m, 1), 0u);
    EXPECT_EQ(std::tuple(m->Paused, track.BufUsed), std::tuple(1u, 0u));
}

TEST_F(AudioTrack, RewindingResetsTheTracksOfTheOnlyMovieWithSound) {
    TavikSoundTrack& track = OpenOne(4000);
    ASSERT_TRUE(movie.Open(2, kMono8Plain, 4000));
    ResetSoundOnRewind(m);  // nothing written yet: nothing to do
    EXPECT_EQ(ScriptedSound::calls.size(), 2u);

    for (int i = 0; i < 2; ++i)
        movie.Feed({PlainChunk(Ramp(3000, 1)), {}, PlainChunk(Ramp(3000, 1))});
    HandMovie other;
    ASSERT_TRUE(other.Open(0, kMono8Plain, 4000));
    ResetSoundOnRewind(m);  // another movie plays sound: left alone
    EXPECT_EQ(track.TotalWritten, 6000u);
    CloseSoundTracks(&other.movie);

    ResetSoundOnRewind(m);
    EXPECT_EQ(ScriptedSound::Count("reset"), 2);
    for (int t : {0, 2}) {
        TavikSoundTrack& reset = movie.Track(t);
        EXPECT_EQ(reset.BufUsed + reset.TotalWritten + reset.ExpectedBase + reset.ExpectedWritten,
                  0u);
        EXPECT_EQ(std::tuple(reset.BufRead, reset.SkipMark),
                  std::tuple(reset.BufWrite, kHalfSecond));
    }
}

}  // namespace
}  // namespace tavik::test
