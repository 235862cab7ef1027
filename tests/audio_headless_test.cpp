// The headless output: a simulated device that plays at the track's byte rate on the engine's
// clock (here the fake system's manual clock), taking sound in quarter-second blocks; and whole
// movies from the encoder played through it: frames paced by the sound, late frames losing
// pictures, starved sound, pause and the wrap.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "audio/headless_backend.h"
#include "audio/sound_debug.h"
#include "audio_test_support.h"
#include "encoder/encoder.h"
#include "support/fake_system.h"
#include "tavik/tavik.h"

namespace tavik::test {
namespace {

constexpr uint32_t kWidth = 16, kHeight = 16;
constexpr uint32_t kRate = 22050;  // mono 8-bit: 22050 bytes per second

// `frames` frames of 66 ms; frame 0 carries a second of sound ahead, later frames a frame's worth.
std::vector<uint8_t> SoundMovie(uint32_t frames) {
    enc::MovieSpec plan;
    plan.width = kWidth;
    plan.height = kHeight;
    plan.frameRate = 66;
    plan.tracks[0] = enc::AudioTrackFormat{kRate, false, false, true};
    for (uint64_t i = 0, owed = 0; i < frames; ++i, owed %= 1000) {
        enc::Frame& frame = plan.frames.emplace_back();
        frame.pixels.assign(kWidth * kHeight, static_cast<uint8_t>(i));
        if (i == 0) frame.palette = enc::Palette{};
        owed += uint64_t{kRate} * 66;
        auto& pcm = frame.audio[0].emplace(owed / 1000 + (i == 0 ? 22050 : 0));
        for (size_t b = 0; b < pcm.size(); ++b) pcm[b] = static_cast<uint8_t>(128 + (b % 64) - 32);
    }
    return enc::EncodeMovie(plan);
}

class AudioHeadless : public ::testing::Test {
  protected:
    void SetUp() override { ReplaceSoundBackendForTest(nullptr); }
    void TearDown() override {
        if (movie_) TavikClose(movie_);
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

    TavikMovie* Open(uint32_t frames, uint32_t flags = TavikPreload) {
        system.AddFile("sound.tvk", SoundMovie(frames));
        movie_ = TavikOpen("sound.tvk", flags | TavikTrack0, TAVIK_CHOOSE_RING_SIZE);
        if (movie_) TavikSetDest(movie_, 0, 0, kWidth, kHeight, picture_.data(), 0);
        return movie_;
    }

    // The player's loop: decode (taking `work` ms when drawn), step, then wait a millisecond per
    // poll. Returns the time each frame was decoded at.
    std::vector<uint32_t> Play(uint32_t count, uint32_t work = 2, uint32_t stallFrame = ~0u,
                               uint32_t stallMs = 0) {
        std::vector<uint32_t> times;
        for (uint32_t i = 0; i < count; ++i) {
            times.push_back(system.now);
            const bool late = TavikDecodeFrame(movie_) != 0;
            if (!late) system.now += work;
            if (i == stallFrame) system.now += stallMs;
            TavikAdvance(movie_);
            uint32_t polls = 0;
            while (TavikNotYetDue(movie_) && polls++ < 5000) ++system.now;
            EXPECT_LE(polls, 5000u) << "frame " << i << " never came due";
        }
        return times;
    }

    TavikSummary Summary() { return TavikGetSummary(movie_, &summary_), summary_; }

    FakeSystem system;
    const uint32_t start = system.now;
    TavikMovie* movie_ = nullptr;
    TavikSummary summary_{};
    std::vector<uint8_t> picture_ = std::vector<uint8_t>(kWidth * kHeight);
};

TEST_F(AudioHeadless, PlaysAtTheTrackRateInQuarterSecondBlocks) {
    system.debugSetting = 0x101;  // debug lines: only the low byte counts
    HandMovie movie;
    // The first track installs the default: the headless device.
    ASSERT_TRUE(movie.Open(0, kMono8Plain, 23508));
    SoundDebugLine("Open failed - error #: ", -2147024809);
    EXPECT_EQ(system.debugOutput, "Using headless sound\r\nOpen failed - error #: -2147024809\r\n");
    system.debugSetting = 2;
    SoundDebugLine("Not shown\r\n");
    EXPECT_EQ(system.debugOutput.size(), 58u);
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

TEST_F(AudioHeadless, PauseAndResume) {
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

TEST_F(AudioHeadless, PacedBySoundHeldByPauseRestartedByTheWrapSkippedAfterAStall) {
    ASSERT_NE(Open(20, 0), nullptr);  // read through the ring
    ASSERT_EQ(movie_->TimingTrack, 0);
    EXPECT_EQ(movie_->Tracks[0]->MaxChunk, (22050u + 1455) & ~3u);
    const auto times = Play(19);
    // Frame k is due when k frames of sound have played, whatever the decode took.
    for (uint32_t k = 1; k < times.size(); ++k) {
        const uint32_t due = static_cast<uint32_t>((uint64_t{k} * 1490227 / 1024 - 8) * 1000 /
                                                   kRate);  // ms of sound before frame k
        EXPECT_NEAR(times[k] - times[0], due, 1.0) << "frame " << k;
    }
    ASSERT_EQ(TavikSetPlaying(movie_, 0), 1u);
    const uint32_t position = Position(*movie_->Tracks[0]);
    system.now += 3000;
    EXPECT_EQ(Position(*movie_->Tracks[0]), position);
    EXPECT_EQ(TavikNotYetDue(movie_), 0u);  // paused: nothing to wait for
    ASSERT_EQ(TavikSetPlaying(movie_, 1), 1u);
    Play(1);
    EXPECT_EQ(movie_->FrameNum, 0u);  // wrapped: the tracks were reset
    EXPECT_EQ(movie_->Tracks[0]->TotalWritten, 0u);
    EXPECT_EQ(Position(*movie_->Tracks[0]), 0u);
    Play(40);
    const TavikSummary summary = Summary();
    EXPECT_EQ(std::tuple(summary.FramesPlayed, summary.FramesSkipped, summary.SoundSkips),
              std::tuple(60u, 0u, 0u));
    Play(30, 2, 10, 2500);  // the player stalls for 2.5 s: the ring runs dry, and is rebuilt
    EXPECT_EQ(std::tuple(Summary().SoundSkips, movie_->Tracks[0]->Underrun), std::tuple(1u, 0u));
}

TEST_F(AudioHeadless, ASlowDecoderLosesPicturesButKeepsTheSoundsPaceUnlessToldNeverToSkip) {
    for (uint32_t noSkip : {0u, uint32_t{TavikNoSkip}}) {
        const uint32_t frames = noSkip ? 30 : 80;
        ASSERT_NE(Open(frames, TavikPreload | noSkip), nullptr);
        const auto times = Play(frames, 150);  // every drawn frame takes 150 ms of a 66 ms budget
        const TavikSummary summary = Summary();
        TavikClose(movie_);
        movie_ = nullptr;
        if (noSkip) {
            EXPECT_EQ(summary.FramesSkipped, 0u);
            continue;
        }
        EXPECT_GT(summary.FramesSkipped, 20u);
        EXPECT_LT(summary.FramesSkipped, 80u);
        EXPECT_EQ(summary.SoundSkips, 0u);
        // The movie still ends about when its sound does, not 80 x 150 ms later.
        EXPECT_LT(times.back() - times.front(), 80u * 66 + 700);
    }
}

}  // namespace
}  // namespace tavik::test
