// Whole movies from the encoder played with sound through the headless device on the fake clock:
// frames paced by the sound, late frames losing pictures, starved sound, pause and the wrap.
#include <gtest/gtest.h>

#include <tuple>

#include "audio/headless_backend.h"
#include "audio/sound_backend.h"
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

class AudioPlayback : public ::testing::Test {
  protected:
    void SetUp() override { ReplaceSoundBackendForTest(nullptr); }
    void TearDown() override {
        if (movie_) TavikClose(movie_);
        ReplaceSoundBackendForTest(nullptr);
    }

    TavikMovie* Open(uint32_t frames, uint32_t flags = TavikPreload) {
        system_.AddFile("sound.tvk", SoundMovie(frames));
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
            times.push_back(system_.now);
            const bool late = TavikDecodeFrame(movie_) != 0;
            if (!late) system_.now += work;
            if (i == stallFrame) system_.now += stallMs;
            TavikAdvance(movie_);
            for (uint32_t polls = 0; TavikNotYetDue(movie_); ++polls) {
                EXPECT_LT(polls, 5000u) << "frame " << i << " never came due";
                if (polls >= 5000) break;
                ++system_.now;
            }
        }
        return times;
    }

    TavikSummary Summary() { return TavikGetSummary(movie_, &summary_), summary_; }

    FakeSystem system_;
    TavikMovie* movie_ = nullptr;
    TavikSummary summary_{};
    std::vector<uint8_t> picture_ = std::vector<uint8_t>(kWidth * kHeight);
};

TEST_F(AudioPlayback, FramesArePacedByTheSound) {
    ASSERT_NE(Open(60, 0), nullptr);  // read through the ring
    ASSERT_EQ(movie_->TimingTrack, 0);
    EXPECT_EQ(movie_->Tracks[0]->MaxChunk, (22050u + 1455) & ~3u);
    const auto times = Play(60);
    // Frame k is due when k frames of sound have played, whatever the decode took.
    for (uint32_t k = 1; k < times.size(); ++k) {
        const uint32_t due = static_cast<uint32_t>((uint64_t{k} * 1490227 / 1024 - 8) * 1000 /
                                                   kRate);  // ms of sound before frame k
        EXPECT_NEAR(times[k] - times[0], due, 1.0) << "frame " << k;
    }
    const TavikSummary summary = Summary();
    EXPECT_EQ(std::tuple(summary.FramesPlayed, summary.FramesSkipped, summary.SoundSkips),
              std::tuple(60u, 0u, 0u));
}

TEST_F(AudioPlayback, ASlowDecoderLosesPicturesButKeepsTheSoundsPaceUnlessToldNeverToSkip) {
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

TEST_F(AudioPlayback, AStarvedDeviceSkipsSoundAndRebuildsItsLead) {
    ASSERT_NE(Open(60), nullptr);
    Play(60, 2, 20, 2500);  // the player stalls for 2.5 s at frame 20: the ring runs dry
    EXPECT_EQ(Summary().SoundSkips, 1u);
    EXPECT_EQ(movie_->Tracks[0]->Underrun, 0u);
}

TEST_F(AudioPlayback, PausingHoldsTheSoundAndTheWrapRestartsItWithoutSkips) {
    ASSERT_NE(Open(20), nullptr);
    Play(10);
    ASSERT_EQ(TavikSetPlaying(movie_, 0), 1u);
    const uint32_t position = HeadlessBackend().SoundPosition(movie_->Tracks[0]);
    system_.now += 3000;
    EXPECT_EQ(HeadlessBackend().SoundPosition(movie_->Tracks[0]), position);
    EXPECT_EQ(TavikNotYetDue(movie_), 0u);  // paused: nothing to wait for
    ASSERT_EQ(TavikSetPlaying(movie_, 1), 1u);
    Play(10);
    EXPECT_EQ(movie_->FrameNum, 0u);  // wrapped: the tracks were reset
    EXPECT_EQ(movie_->Tracks[0]->TotalWritten, 0u);
    EXPECT_EQ(HeadlessBackend().SoundPosition(movie_->Tracks[0]), 0u);
    Play(40);
    const TavikSummary summary = Summary();
    EXPECT_EQ(std::tuple(summary.FramesPlayed, summary.FramesSkipped, summary.SoundSkips),
              std::tuple(60u, 0u, 0u));
}

}  // namespace
}  // namespace tavik::test
