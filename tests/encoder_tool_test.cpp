// tavik-encode run as a program: PNG frames, WAVE sound and the demo, read back by the reference
// reader.
#include "encoder_reference_reader.h"
#include "support/test_files.h"
#include "tools_runner.h"

namespace tavik::enc {
namespace {

using tavik::test::Png;
using tavik::test::Wav;

class EncoderTool : public tavik::test::ToolRunner {};

TEST_F(EncoderTool, FramesPalettesAndSound) {
    const uint32_t w = 16, h = 8;
    std::vector<uint8_t> first(w * h), second(w * h);
    for (size_t i = 0; i < first.size(); ++i) {
        first[i] = static_cast<uint8_t>(i % 3);
        second[i] = static_cast<uint8_t>(i % 5 == 0 ? 3 : 1);
    }
    std::vector<uint8_t> red(12, 0), blue(12, 0);
    for (int i = 0; i < 4; ++i) {
        red[3 * i] = static_cast<uint8_t>(i * 80);
        blue[3 * i + 2] = static_cast<uint8_t>(i * 80);
    }
    Write("f0.png", Png(w, h, first, red));
    Write("f1.png", Png(w, h, second, blue));
    std::vector<uint8_t> mono(1000), stereo(4 * 300);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<uint8_t>(128 + i % 40);
    for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<uint8_t>(i * 7);
    Write("mono.wav", Wav(1000, 1, 8, mono));
    Write("stereo.wav", Wav(500, 2, 16, stereo));
    ASSERT_EQ(
        Run("tavik-encode", "--fps 10 --ring --lead 200 --audio 1:" + Path("mono.wav") +
                                " --audio 4:" + Path("stereo.wav") + ":plain " + Path("out.tvk") +
                                " " + Path("f0.png") + " " + Path("f1.png")),
        0)
        << stderr_;
    test::RefMovie movie;
    ASSERT_TRUE(movie.Parse(Read("out.tvk"))) << movie.error;
    EXPECT_EQ(movie.frameRate, -10000);
    EXPECT_EQ(movie.flags, 1u);
    std::vector<test::RefPicture> shown;
    ASSERT_TRUE(test::RefPlay(movie, shown, {0, 1, 2}));
    EXPECT_EQ(shown[0].pixels, first);
    EXPECT_EQ(shown[1].pixels, second);
    EXPECT_EQ(shown[2].pixels, first);
    EXPECT_EQ(shown[1].palette[3 * 2 + 2], QuantizeComponent(160));
    EXPECT_EQ(shown[2].palette[3 * 2], QuantizeComponent(160));
    // Track 1: 200 ms of lead and 100 ms per frame at 1000 Hz; track 4 plain at 500 Hz.
    EXPECT_EQ(movie.audioFormat[1], 1000u | 1u << 30 | 1u << 31);
    EXPECT_EQ(movie.audioFormat[4], 500u | 3u << 28 | 1u << 30);
    ASSERT_NE(movie.frames[0].audio[1], nullptr);
    ASSERT_NE(movie.frames[1].audio[1], nullptr);
    ASSERT_NE(movie.frames[1].audio[4], nullptr);
    EXPECT_EQ(test::RefSound(movie.frames[0].audio[1]),
              std::vector<uint8_t>(mono.begin(), mono.begin() + 300));
    EXPECT_EQ(test::RefSound(movie.frames[1].audio[1]),
              std::vector<uint8_t>(mono.begin() + 300, mono.begin() + 400));
    const uint8_t* plain = movie.frames[1].audio[4];
    EXPECT_EQ(std::vector<uint8_t>(plain + 4, plain + test::RefU32(plain)),
              std::vector<uint8_t>(stereo.begin() + 4 * 150, stereo.begin() + 4 * 200));
    EXPECT_EQ(movie.frames[2].audio[1], nullptr);  // the ring frame carries no sound
}

TEST_F(EncoderTool, WritesTheDemo) {
    ASSERT_EQ(Run("tavik-encode", "--demo " + Path("demo.tvk")), 0) << stderr_;
    test::RefMovie movie;
    ASSERT_TRUE(movie.Parse(Read("demo.tvk"))) << movie.error;
    EXPECT_EQ(movie.frames.size(), MakeDemoMovie().frames.size());
}

}  // namespace
}  // namespace tavik::enc
