// Sound track buffering and pacing through the movie core's hooks, with a scripted output.
#include <gtest/gtest.h>

#include "audio/audio_decoder.h"
#include "audio/sound_tracks.h"
#include "audio/track_buffering.h"
#include "audio_test_support.h"

namespace tavik::test {
namespace {

constexpr uint32_t kFrameBytes = 1490227;  // 22050 bytes per second at 66 ms, times 1024
constexpr uint32_t kHalfSecond = 11289600;

std::vector<uint8_t> Pcm(size_t size, uint8_t seed) {
    std::vector<uint8_t> pcm(size);
    for (size_t i = 0; i < size; ++i) pcm[i] = static_cast<uint8_t>(seed + i * 13);
    return pcm;
}

std::vector<uint8_t> RingBytes(TavikSoundTrack& track, const uint8_t* from, uint32_t count) {
    std::vector<uint8_t> out;
    for (uint32_t i = 0; i < count; ++i) {
        out.push_back(*from++);
        if (from == track.BufEnd) from = track.BufStart;
    }
    return out;
}

class AudioTrack : public ::testing::Test {
  protected:
    void SetUp() override {
        ScriptedSound::Reset();
        ReplaceSoundBackendForTest(&ScriptedSound::Table());
    }
    void TearDown() override {
        ASSERT_EQ(OpenTrackCount(), 0u);
        ASSERT_EQ(AudioTreeArea(), nullptr);
        ReplaceSoundBackendForTest(nullptr);
    }
};

TEST(AudioTrackSizes, FromRateAndFrameTime) {
    TrackSizes sizes;
    ASSERT_TRUE(TrackSizesFor(22050, 6600, &sizes));
    EXPECT_EQ(sizes.frameBytes, kFrameBytes);
    EXPECT_EQ(sizes.skipMark, kHalfSecond);
    EXPECT_EQ(sizes.bufSize, 28672u);
    ASSERT_TRUE(TrackSizesFor(1000, 0, &sizes));  // as fast as possible: no sound per frame
    EXPECT_EQ(sizes.frameBytes, 0u);
    EXPECT_EQ(sizes.bufSize, 8192u);
    // 44100 Hz stereo 16-bit with 10-second frames: the 64-bit product is needed.
    ASSERT_TRUE(TrackSizesFor(176400, 100000, &sizes));
    EXPECT_EQ(sizes.frameBytes, 180633600u);  // 176400 x 1024 x 100000 / 100000
    // Beyond what the 32-bit counters hold: refused.
    EXPECT_FALSE(TrackSizesFor(4194305, 6600, &sizes));
    EXPECT_FALSE(TrackSizesFor(176400, 600000, &sizes));
}

TEST_F(AudioTrack, OpeningAndClosingCountMemoryAndTracks) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 23510);
    movie.SetTrack(1, TAVIK_AUDIO_PRESENT, 100);                 // rate 0
    movie.SetTrack(2, 22050, 100);                               // not present
    movie.SetTrack(3, kMono8Plain | TAVIK_AUDIO_16BIT, 100000);  // MaxChunk beyond the ring
    ASSERT_TRUE(movie.Open(0));
    const uint32_t record = sizeof(TavikSoundTrack);
    EXPECT_EQ(movie.movie.MemUsed, record + kAudioTreeAreaSize + 28672);
    EXPECT_EQ(movie.movie.TimingTrack, 0);
    EXPECT_EQ(OpenTrackCount(), 1u);
    TavikSoundTrack& track = movie.Track(0);
    EXPECT_EQ(track.MaxChunk, 23508u);
    EXPECT_EQ(track.BufEnd - track.BufStart, 28672);
    EXPECT_EQ(track.BufRead, track.BufStart);
    EXPECT_EQ(track.BytesPerSecond, 22050u);
    EXPECT_EQ(track.BufStart[100], 0x80);

    const uint32_t before = movie.movie.MemUsed;
    EXPECT_FALSE(movie.Open(1));
    EXPECT_FALSE(movie.Open(2));
    ScriptedSound::openFails = true;
    movie.SetTrack(4, kMono8Plain, 100);
    EXPECT_FALSE(movie.Open(4));
    ScriptedSound::openFails = false;
    EXPECT_EQ(movie.movie.MemUsed, before);
    EXPECT_EQ(movie.movie.Tracks[1], nullptr);
    EXPECT_EQ(movie.movie.Tracks[4], nullptr);

    ASSERT_TRUE(movie.Open(3));
    EXPECT_EQ(movie.Track(3).MaxChunk, movie.Track(3).BufSize);
    EXPECT_EQ(movie.Track(3).BufStart[0], 0x00);  // 16-bit silence
    EXPECT_EQ(movie.movie.TimingTrack, 0);
    EXPECT_EQ(OpenTrackCount(), 2u);

    // A second movie shares the tree area: it is not counted again, and stays until the last
    // track of either closes.
    HandMovie other;
    other.SetTrack(0, kMono8Plain, 100);
    ASSERT_TRUE(other.Open(0));
    EXPECT_EQ(other.movie.MemUsed, record + 28672);
    CloseSoundTracks(&movie.movie);
    EXPECT_EQ(movie.movie.TimingTrack, -1);
    EXPECT_EQ(OpenTrackCount(), 1u);
    EXPECT_NE(AudioTreeArea(), nullptr);
    CloseSoundTracks(&other.movie);
    EXPECT_EQ(AudioTreeArea(), nullptr);
    EXPECT_EQ(std::count(ScriptedSound::calls.begin(), ScriptedSound::calls.end(), "close"), 3);
}

TEST_F(AudioTrack, FeedingAdvancesTheClockAndFillsTheRing) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 23508);
    movie.SetTrack(1, kMono8Plain, 23508);
    ASSERT_TRUE(movie.Open(0));
    ASSERT_TRUE(movie.Open(1));
    TavikSoundTrack& timing = movie.Track(0);
    TavikSoundTrack& second = movie.Track(1);

    const auto first = Pcm(23508, 1);
    movie.Feed({PlainChunk(first), PlainChunk(Pcm(100, 2))});
    EXPECT_EQ(movie.movie.SyncPending, 1u);
    EXPECT_EQ(timing.NoData, 0u);
    EXPECT_EQ(ScriptedSound::services, 1u);
    EXPECT_EQ(timing.ExpectedWritten, kFrameBytes);
    EXPECT_EQ(timing.SkipMark, kHalfSecond + kFrameBytes);
    EXPECT_EQ(timing.BufUsed, 23508u);
    EXPECT_EQ(timing.TotalWritten, 23508u);
    EXPECT_EQ(timing.BufWrite, timing.BufStart + 23508);
    EXPECT_EQ(RingBytes(timing, timing.BufStart, 23508), first);
    EXPECT_EQ(second.TotalWritten, 100u);
    EXPECT_EQ(second.ExpectedWritten, 0u);  // only the timing track keeps the clock

    // No chunk for the lowest track: no ring changes, but the clock still runs.
    movie.Feed({{}, PlainChunk(Pcm(100, 3))});
    EXPECT_EQ(timing.NoData, 1u);
    EXPECT_EQ(second.TotalWritten, 100u);
    EXPECT_EQ(ScriptedSound::services, 1u);
    EXPECT_EQ(timing.ExpectedWritten, 2 * kFrameBytes);

    // Only the lowest track has sound: the others take nothing and are not marked.
    movie.Feed({PlainChunk(Pcm(1456, 4))});
    EXPECT_EQ(timing.NoData, 0u);
    EXPECT_EQ(second.NoData, 0u);
    EXPECT_EQ(second.TotalWritten, 100u);

    // The device takes 10000 bytes; the next chunk crosses the ring's end in its own byte order,
    // its second part at the ring's start.
    timing.BufRead += 10000;
    timing.BufUsed -= 10000;
    const auto crossing = Pcm(8000, 5);
    const uint8_t* at = timing.BufWrite;
    const uint32_t before = static_cast<uint32_t>(timing.BufEnd - at);
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(timing.BufWrite, timing.BufStart + (8000 - before));
    EXPECT_EQ(RingBytes(timing, at, 8000), crossing);

    // A chunk larger than the room left is cut: the ring then holds exactly its size.
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(timing.BufUsed, timing.BufSize);
    EXPECT_EQ(timing.BufWrite, timing.BufRead);

    // Paused: nothing at all.
    movie.movie.Paused = 1;
    movie.movie.SyncPending = 0;
    const uint32_t expected = timing.ExpectedWritten;
    movie.Feed({PlainChunk(crossing)});
    EXPECT_EQ(timing.ExpectedWritten, expected);
    EXPECT_EQ(movie.movie.SyncPending, 0u);
}

TEST_F(AudioTrack, FramesThatBringTooLittleSoundPullTheExpectedCountBack) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 23508);
    ASSERT_TRUE(movie.Open(0));
    TavikSoundTrack& track = movie.Track(0);
    movie.Feed({PlainChunk(Pcm(1000, 1))});  // should have brought 1455 bytes
    EXPECT_EQ(track.ExpectedWritten, 0u);
    EXPECT_EQ(track.ExpectedBase, 1000u);
    EXPECT_EQ(track.SkipMark, kHalfSecond);
    movie.Feed({PlainChunk(Pcm(2000, 1))});  // more than enough: never pulled forward
    EXPECT_EQ(track.ExpectedWritten, kFrameBytes);
    EXPECT_EQ(track.ExpectedBase, 1000u);
}

TEST_F(AudioTrack, RebasingKeepsTheDueAndSkipPoints) {
    TavikSoundTrack track{};
    track.FrameBytes = kFrameBytes;
    track.ExpectedBase = 777;
    track.ExpectedWritten = 262144000 - 1000;
    track.SkipMark = track.ExpectedWritten + kHalfSecond;
    const uint64_t due = 777 + (uint64_t{track.ExpectedWritten} + kFrameBytes) / 1024;
    const uint64_t skip = 777 + (uint64_t{track.SkipMark} + kFrameBytes) / 1024;
    AdvanceTimingClock(track);
    EXPECT_EQ(track.ExpectedBase, 777u + 256000);
    EXPECT_EQ(track.ExpectedWritten, kFrameBytes - 1000);
    EXPECT_EQ(DuePoint(track), due);
    EXPECT_EQ(SkipPoint(track), skip);
    EXPECT_EQ(track.SkipMark - track.ExpectedWritten, kHalfSecond);
}

TEST_F(AudioTrack, UnderrunsPutSilenceAheadOfTheNextSound) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 23508);
    ASSERT_TRUE(movie.Open(0));
    TavikSoundTrack& track = movie.Track(0);

    // Nothing written yet: no silence, but the cycle starts.
    track.Underrun = 1;
    movie.Feed({PlainChunk(Pcm(1456, 1))});
    EXPECT_EQ(track.SoundSkips, 0u);
    EXPECT_EQ(track.PadArmed, 1u);
    movie.Feed({PlainChunk(Pcm(1456, 1))});
    EXPECT_EQ(track.Underrun, 0u);
    EXPECT_EQ(track.PadArmed, 0u);

    // The device ran dry (it took everything): 23508 - 1456 bytes of silence first.
    track.BufRead = track.BufWrite;
    track.BufUsed = 0;
    track.Underrun = 1;
    const uint32_t base = track.ExpectedBase, total = track.TotalWritten;
    const uint8_t* at = track.BufWrite;
    const auto sound = Pcm(1456, 7);
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(track.SoundSkips, 1u);
    EXPECT_EQ(track.ExpectedBase, base + 22052);
    EXPECT_EQ(track.TotalWritten, total + 23508);
    EXPECT_EQ(track.BufUsed, 23508u);
    EXPECT_EQ(RingBytes(track, at, 22052), std::vector<uint8_t>(22052, 0x80));
    EXPECT_EQ(RingBytes(track, at + 22052, 1456), sound);
    EXPECT_EQ(movie.movie.TimingTrack, 0);
    EXPECT_EQ(TimingTrackSoundSkips(&movie.movie), 1u);

    // An underrun flagged again before the second frame is cleared with the cycle.
    track.Underrun = 1;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(track.Underrun, 0u);
    EXPECT_EQ(track.SoundSkips, 1u);

    // Silence is cut to the room the frame's sound leaves.
    track.Underrun = 1;
    const uint32_t room = track.BufSize - track.BufUsed;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(track.SoundSkips, 2u);
    EXPECT_EQ(track.BufUsed, track.BufSize);
    EXPECT_EQ(track.TotalWritten, total + 23508 + 1456 + room);

    // A full ring: neither sound nor silence fits, and no skip is counted.
    movie.Feed({PlainChunk(sound)});
    track.Underrun = 1;
    movie.Feed({PlainChunk(sound)});
    EXPECT_EQ(track.SoundSkips, 2u);
}

TEST_F(AudioTrack, ChunksAreCheckedAgainstTheTrackAndTheFrame) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Compressed | TAVIK_AUDIO_STEREO | TAVIK_AUDIO_16BIT, 4096);
    movie.SetTrack(1, kMono8Plain | TAVIK_AUDIO_STEREO | TAVIK_AUDIO_16BIT, 4096);
    ASSERT_TRUE(movie.Open(0));
    ASSERT_TRUE(movie.Open(1));
    TavikSoundTrack& packed = movie.Track(0);
    TavikSoundTrack& plain = movie.Track(1);
    std::fill(packed.BufStart, packed.BufEnd, 0xEE);

    // Sizes are rounded down to whole sample frames.
    const auto pcm = Pcm(40, 3);
    auto chunk = CompressedChunk(EncodeAudioStream(true, true, pcm), 42);
    movie.Feed({chunk, PlainChunk(Pcm(10, 1))});
    EXPECT_EQ(packed.TotalWritten, 40u);
    EXPECT_EQ(RingBytes(packed, packed.BufStart, 40), pcm);
    EXPECT_EQ(plain.TotalWritten, 8u);

    // Data bit 0 with a size: the announced bytes are silence. A stream that ends early: its
    // sound, then silence.
    movie.Feed({CompressedChunk({0x00}, 16)});
    EXPECT_EQ(RingBytes(packed, packed.BufStart + 40, 16), std::vector<uint8_t>(16, 0));
    auto cut = EncodeAudioStream(true, true, pcm);
    cut.resize(cut.size() - 8);
    movie.Feed({CompressedChunk(cut, 40)});
    EXPECT_EQ(packed.TotalWritten, 96u);
    const auto got = RingBytes(packed, packed.BufStart + 56, 40);
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 20),
              std::vector<uint8_t>(pcm.begin(), pcm.begin() + 20));
    EXPECT_EQ(got.back(), 0);

    // A plain chunk whose length runs past its frame brings only the bytes inside the frame.
    auto longChunk = PlainChunk(Pcm(100, 9));
    longChunk[1] = 0x10;  // claims 4196 bytes
    movie.Feed({CompressedChunk(EncodeAudioStream(true, true, pcm), 40), longChunk});
    EXPECT_EQ(plain.TotalWritten, 8u + 100 + 8);  // its data plus the frame's 8 trailing bytes
}

TEST_F(AudioTrack, LateTestAndWaitFollowThePlayedPosition) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 23508);
    TavikMovie* m = &movie.movie;
    EXPECT_EQ(WaitingForSound(m), kNoTimingTrack);
    EXPECT_FALSE(FrameLateBySound(m));
    ASSERT_TRUE(movie.Open(0));
    TavikSoundTrack& track = movie.Track(0);
    movie.Feed({PlainChunk(Pcm(23508, 1))});
    const uint32_t due = DuePoint(track), skip = SkipPoint(track);
    EXPECT_EQ(due, 1455u);
    EXPECT_EQ(skip, 1455u + 11025);

    ScriptedSound::position = skip - 1;
    EXPECT_FALSE(FrameLateBySound(m));
    EXPECT_EQ(m->SyncPending, 1u);
    EXPECT_EQ(WaitingForSound(m), kFrameDue);  // long past the due point
    EXPECT_EQ(m->SyncPending, 0u);
    EXPECT_TRUE(FrameLateBySound(m));  // no longer waiting: late

    movie.Feed({PlainChunk(Pcm(1456, 1))});
    ScriptedSound::position = skip;
    EXPECT_FALSE(FrameLateBySound(m));  // the skip point moved on with the frame
    ScriptedSound::position = SkipPoint(track);
    EXPECT_TRUE(FrameLateBySound(m));
    EXPECT_EQ(m->SyncPending, 0u);

    movie.Feed({PlainChunk(Pcm(1456, 1))});
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
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 4000);
    TavikMovie* m = &movie.movie;
    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);  // no timing track: nothing happens
    EXPECT_EQ(m->Paused, 0u);
    ASSERT_TRUE(movie.Open(0));
    TavikSoundTrack& track = movie.Track(0);
    // The sound crosses the ring's end: 2000 bytes there, 2000 at the start.
    track.BufRead = track.BufWrite = track.BufEnd - 2000;
    const auto sound = Pcm(4000, 3);
    movie.Feed({PlainChunk(sound)});
    track.BufRead = track.BufEnd - 1000;  // the device took 1000 bytes
    track.BufUsed -= 1000;
    m->FrameNum = 5;

    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);
    EXPECT_EQ(m->Paused, 1u);
    EXPECT_EQ(m->PauseFrame, 5u);
    EXPECT_EQ(track.BufUsed, 0u);
    EXPECT_EQ(track.TotalWritten, 1000u);
    EXPECT_EQ(track.BufRead, track.BufWrite);
    EXPECT_EQ(SetSoundPlaying(m, 0), 1u);  // already paused
    EXPECT_EQ(std::count(ScriptedSound::calls.begin(), ScriptedSound::calls.end(), "stop"), 1);

    // Resuming on the frame it paused at plays the last MaxChunk bytes again.
    ScriptedSound::position = 900;
    track.Underrun = 1;
    EXPECT_EQ(SetSoundPlaying(m, 1), 1u);
    EXPECT_EQ(m->Paused, 0u);
    EXPECT_EQ(track.BufRead, track.BufEnd - 2000);
    EXPECT_EQ(track.BufUsed, 4000u);
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), sound);
    EXPECT_EQ(track.ExpectedBase, 900u);
    EXPECT_EQ(track.ExpectedWritten, 0u);
    EXPECT_EQ(track.SkipMark, kHalfSecond);
    EXPECT_EQ(track.TotalWritten, 5000u);
    EXPECT_EQ(track.Underrun, 0u);
    EXPECT_EQ(ScriptedSound::calls.back(), "restart");

    // After stepping on, the stretch is silence.
    SetSoundPlaying(m, 0);
    m->FrameNum = 6;
    EXPECT_EQ(SetSoundPlaying(m, 1), 1u);
    EXPECT_EQ(track.BufRead, track.BufEnd - 2000);
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), std::vector<uint8_t>(4000, 0x80));

    // A negative argument asks for silence even on the paused frame.
    movie.Feed({PlainChunk(sound)});
    SetSoundPlaying(m, 0);
    EXPECT_EQ(SetSoundPlaying(m, -1), 1u);
    EXPECT_EQ(RingBytes(track, track.BufRead, 4000), std::vector<uint8_t>(4000, 0x80));

    // On frame 0 the ring is not rebuilt; a failing restart leaves the movie paused.
    SetSoundPlaying(m, 0);
    m->FrameNum = 0;
    ScriptedSound::restartFails = true;
    EXPECT_EQ(SetSoundPlaying(m, 1), 0u);
    EXPECT_EQ(m->Paused, 1u);
    EXPECT_EQ(track.BufUsed, 0u);
    ScriptedSound::restartFails = false;
}

TEST_F(AudioTrack, RewindingResetsTheTracksOfTheOnlyMovieWithSound) {
    HandMovie movie;
    movie.SetTrack(0, kMono8Plain, 4000);
    movie.SetTrack(2, kMono8Plain, 4000);
    ASSERT_TRUE(movie.Open(0));
    ASSERT_TRUE(movie.Open(2));
    TavikSoundTrack& track = movie.Track(0);
    ResetSoundOnRewind(&movie.movie);  // nothing written yet: nothing to do
    EXPECT_TRUE(ScriptedSound::calls.size() == 2);

    movie.Feed({PlainChunk(Pcm(3000, 1)), {}, PlainChunk(Pcm(3000, 1))});
    movie.Feed({PlainChunk(Pcm(3000, 1)), {}, PlainChunk(Pcm(3000, 1))});
    HandMovie other;
    other.SetTrack(0, kMono8Plain, 4000);
    ASSERT_TRUE(other.Open(0));
    ResetSoundOnRewind(&movie.movie);  // another movie plays sound: left alone
    EXPECT_EQ(track.TotalWritten, 6000u);
    CloseSoundTracks(&other.movie);

    ResetSoundOnRewind(&movie.movie);
    EXPECT_EQ(std::count(ScriptedSound::calls.begin(), ScriptedSound::calls.end(), "reset"), 2);
    for (int t : {0, 2}) {
        TavikSoundTrack& reset = movie.Track(t);
        EXPECT_EQ(reset.BufUsed, 0u);
        EXPECT_EQ(reset.BufRead, reset.BufWrite);
        EXPECT_EQ(reset.TotalWritten, 0u);
        EXPECT_EQ(reset.ExpectedBase, 0u);
        EXPECT_EQ(reset.ExpectedWritten, 0u);
        EXPECT_EQ(reset.SkipMark, kHalfSecond);
    }
}

}  // namespace
}  // namespace tavik::test
