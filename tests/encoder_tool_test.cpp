// tavik-encode run as a program: arguments, PNG frames, WAVE sound, the demo and its failures.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "encoder/encoder.h"
#include "encoder_reference_reader.h"
#include "support/test_files.h"

namespace tavik::enc {
namespace {

using tavik::test::Png;
using tavik::test::Wav;

class EncoderTool : public ::testing::Test {
  protected:
    void SetUp() override {
        tool_ = std::string(TAVIK_TOOLS_DIR) + "/tavik-encode";
        if (!std::ifstream(tool_)) GTEST_SKIP() << "tavik-encode is not built";
        // Named after the test: ctest may run the tests of this file side by side.
        prefix_ = ::testing::TempDir() + "/tavik_encode_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    }
    std::string Path(const std::string& name) const { return prefix_ + name; }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(WriteFile(Path(name), bytes));
    }
    // Runs the tool; returns its exit status and keeps its standard error.
    int Run(const std::string& arguments) {
        const std::string errors = Path("stderr.txt");
        const int status = std::system((tool_ + " " + arguments + " 2>" + errors).c_str());
        std::ifstream file(errors);
        stderr_.assign(std::istreambuf_iterator<char>(file), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<uint8_t> Read(const std::string& name) const {
        std::ifstream file(Path(name), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
    }

    std::string tool_, prefix_, stderr_;
};

TEST_F(EncoderTool, BadArgumentsGiveTheUsage) {
    for (const char* arguments :
         {"", "--bogus out.tvk a.png", "out.tvk", "--fps 0 out.tvk a.png"}) {
        EXPECT_EQ(Run(arguments), 2) << arguments;
        EXPECT_NE(stderr_.find("usage: tavik-encode"), std::string::npos) << arguments;
    }
}

TEST_F(EncoderTool, FailuresAreOneLine) {
    Write("a.png", Png(8, 8, {1}, std::vector<uint8_t>(12, 9)));
    Write("b.png", Png(12, 8, {1}, std::vector<uint8_t>(12, 9)));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Path("missing.png"), "cannot open"},
        {Path("a.png") + " " + Path("b.png"), "differs"},
        {Path("a.png") + " --audio 0:" + Path("a.png"), "a.png"},
    };
    for (const auto& [arguments, text] : cases) {
        EXPECT_EQ(Run(Path("out.tvk") + " " + arguments), 1) << arguments;
        EXPECT_NE(stderr_.find(text), std::string::npos) << stderr_;
        EXPECT_EQ(std::count(stderr_.begin(), stderr_.end(), '\n'), 1) << stderr_;
    }
}

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
    ASSERT_EQ(Run("--fps 10 --ring --lead 200 --audio 1:" + Path("mono.wav") +
                  " --audio 4:" + Path("stereo.wav") + ":plain " + Path("out.tvk") + " " +
                  Path("f0.png") + " " + Path("f1.png")),
              0)
        << stderr_;
    test::RefMovie movie;
    ASSERT_TRUE(movie.Parse(Read("out.tvk"))) << movie.error;
    EXPECT_EQ(movie.frameRate, -10000);
    EXPECT_EQ(movie.flags, 1u);
    std::vector<test::RefPicture> shown;
    ASSERT_TRUE(test::RefPlay(movie, {0, 1, 2}, shown));
    EXPECT_EQ(shown[0].pixels, first);
    EXPECT_EQ(shown[1].pixels, second);
    EXPECT_EQ(shown[2].pixels, first);
    EXPECT_EQ(shown[1].palette[3 * 2 + 2], QuantizeComponent(160));
    EXPECT_EQ(shown[2].palette[3 * 2], QuantizeComponent(160));
    // Track 1: 200 ms of lead and 100 ms per frame at 1000 Hz; track 4 plain at 500 Hz.
    EXPECT_EQ(movie.audioFormat[1], 1000u | 1u << 30 | 1u << 31);
    EXPECT_EQ(movie.audioFormat[4], 500u | 3u << 28 | 1u << 30);
    const uint8_t* chunk = movie.frames[0].audio[1];
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(test::RefDecodeAudio(chunk + 8, test::RefU32(chunk) - 8, 300),
              std::vector<uint8_t>(mono.begin(), mono.begin() + 300));
    chunk = movie.frames[1].audio[1];
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(test::RefDecodeAudio(chunk + 8, test::RefU32(chunk) - 8, 100),
              std::vector<uint8_t>(mono.begin() + 300, mono.begin() + 400));
    chunk = movie.frames[1].audio[4];
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(chunk + 4, chunk + test::RefU32(chunk)),
              std::vector<uint8_t>(stereo.begin() + 4 * 150, stereo.begin() + 4 * 200));
    EXPECT_EQ(movie.frames[2].audio[1], nullptr);  // the ring frame carries no sound
}

TEST_F(EncoderTool, WritesTheDemo) {
    ASSERT_EQ(Run("--demo " + Path("demo.tvk")), 0) << stderr_;
    test::RefMovie movie;
    ASSERT_TRUE(movie.Parse(Read("demo.tvk"))) << movie.error;
    EXPECT_EQ(movie.frames.size(), MakeDemoMovie().frames.size());
}

}  // namespace
}  // namespace tavik::enc
