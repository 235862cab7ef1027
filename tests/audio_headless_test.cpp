// The headless output: a simulated device that plays at the track's byte rate on the engine's
// clock (here the fake system's manual clock), taking sound in quarter-second blocks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "audio/headless_backend.h"
#include "audio_test_support.h"
#include "support/fake_system.h"

namespace tavik::test {
namespace {

class AudioHeadless : public ::testing::Test {
  protected:
    void SetUp() override { ReplaceSoundBackendForTest(nullptr); }
    void TearDown() override {
        HeadlessSoundCapture(nullptr);
        ReplaceSoundBackendForTest(nullptr);
    }
    uint32_t Position(TavikSoundTrack& track) {
        return InstalledSoundBackend()->SoundPosition(&track);
    }
    void At(uint32_t ms) {
        system.now = start + ms;
        ServiceSound();
    }

    FakeSystem system;
    const uint32_t start = system.now;
};

TEST_F(AudioHeadless, PlaysAtTheTrackRateInQuarterSecondBlocks) {
    system.debugSetting = 1;
    HandMovie movie;
    // The first track installs the default: the headless device.
    ASSERT_TRUE(movie.Open(0, kMono8Plain, 23508));
    EXPECT_EQ(system.debugOutput, "Using headless sound\r\n");
    TavikSoundTrack& track = movie.Track(0);
    EXPECT_EQ(HeadlessBlockSize(22050), 8192u);

    At(0);
    EXPECT_EQ(track.Underrun, 0u);  // never fed: waiting, not starved
    movie.Feed({PlainChunk(Ramp(23508, 1, 3))});
    At(0);
    EXPECT_EQ(std::tuple(HeadlessQueuedBlocks(&track), track.BufUsed),
              std::tuple(2u, 23508u - 2 * 8192));
    EXPECT_EQ(Position(track), 0u);

    At(100);
    EXPECT_EQ(Position(track), 2205u);
    At(371);  // the first block needs 371.5 ms
    EXPECT_EQ(HeadlessQueuedBlocks(&track), 2u);
    At(372);
    EXPECT_EQ(HeadlessQueuedBlocks(&track), 2u);  // played through, and refilled with the rest
    EXPECT_EQ(track.BufUsed, 0u);
    EXPECT_EQ(Position(track), 8202u);

    // 23508 bytes last 1066.1 ms: dry at 1067; one millisecond of silence is an underrun.
    At(1067);
    EXPECT_EQ(Position(track), 23508u);
    EXPECT_EQ(track.Underrun, 0u);
    At(1068);
    EXPECT_EQ(track.Underrun, 1u);
    At(2000);
    EXPECT_EQ(Position(track), 23508u);

    // Sound after a gap starts a new run from the moment it is handed over; the frame puts
    // silence ahead of it for the underrun.
    movie.Feed({PlainChunk(Ramp(1456, 2, 3))});
    EXPECT_EQ(track.SoundSkips, 1u);
    At(2000);
    At(2100);
    EXPECT_EQ(Position(track), 23508u + 2205);
}

TEST_F(AudioHeadless, ResetPauseAndResume) {
    HandMovie movie;
    ASSERT_TRUE(movie.Open(0, kMono8Plain | TAVIK_AUDIO_STEREO | TAVIK_AUDIO_16BIT, 8000));
    TavikSoundTrack& track = movie.Track(0);  // 88200 bytes per second: blocks of 24576
    const auto sound = Ramp(8000, 3, 3);
    movie.Feed({PlainChunk(sound)});
    At(0);
    At(10);
    EXPECT_EQ(Position(track), 880u);  // 882 bytes, in whole sample frames
    At(11);
    EXPECT_EQ(Position(track), 968u);

    // Paused, the device plays nothing more and drops what it held.
    movie.movie.FrameNum = 3;
    ASSERT_EQ(SetSoundPlaying(&movie.movie, 0), 1u);
    At(500);
    EXPECT_EQ(Position(track), 968u);
    EXPECT_EQ(std::tuple(HeadlessQueuedBlocks(&track), track.Underrun), std::tuple(0u, 0u));

    // Resumed on the same frame: the last MaxChunk bytes play again, timed from the position.
    ASSERT_EQ(SetSoundPlaying(&movie.movie, 1), 1u);
    EXPECT_EQ(track.ExpectedBase, 968u);
    EXPECT_EQ(HeadlessQueuedBlocks(&track), 1u);
    At(550);
    EXPECT_EQ(Position(track), 968u + 4408);
    At(700);
    EXPECT_EQ(Position(track), 968u + 8000);

    // Reset: the played count starts again from 0.
    InstalledSoundBackend()->SoundReset(&track);
    EXPECT_EQ(Position(track), 0u);
    movie.Feed({PlainChunk(sound)});
    At(800);
    At(850);
    EXPECT_EQ(Position(track), 4408u);
}

TEST_F(AudioHeadless, CapturesExactlyWhatItPlayed) {
    const std::string path =
        ::testing::TempDir() + "tavik_headless_capture_" + std::to_string(getpid()) + ".wav";
    std::remove(path.c_str());
    HeadlessSoundCapture(path.c_str());
    const auto first = Ramp(6000, 1, 3), second = Ramp(6000, 9, 3);
    {
        HandMovie movie;
        ASSERT_TRUE(movie.Open(0, TAVIK_AUDIO_PRESENT | TAVIK_AUDIO_16BIT | 11025, 6000));
        movie.Feed({PlainChunk(first)});
        At(0);
        At(400);  // 6000 bytes at 22050 bytes per second take 272.1 ms
        movie.Feed({PlainChunk(second)});
        At(400);
        At(500);  // 2205 bytes of the second chunk played when the track closes
    }
    const auto wav = ReadAll(path);
    ASSERT_EQ(wav.size(), 44u + 6000 + 2204);  // whole sample frames only
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    auto field = [&](size_t at) { return wav[at] | wav[at + 1] << 8; };
    // Channels, rate, bytes per second, bits, data size.
    EXPECT_EQ((std::vector<int>{field(22), field(24), field(28), field(34), field(40)}),
              (std::vector<int>{1, 11025, 22050, 16, 6000 + 2204}));
    std::vector<uint8_t> played(first);
    played.insert(played.end(), second.begin(), second.begin() + 2204);
    EXPECT_EQ(std::vector<uint8_t>(wav.begin() + 44, wav.end()), played);

    // The capture was taken by that track: the next track records nothing.
    std::remove(path.c_str());
    HandMovie movie;
    ASSERT_TRUE(movie.Open(0, kMono8Plain, 100));
    CloseSoundTracks(&movie.movie);
    EXPECT_TRUE(ReadAll(path).empty());
}

}  // namespace
}  // namespace tavik::test
