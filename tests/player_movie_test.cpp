// Whole movies through the engine on the headless screen, and the self-playing program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "encoder/encoder.h"
#include "platform/headless/headless_platform.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "player/player_window.h"
#include "player/self_play.h"

namespace tavik {
namespace {

const MovieCalls kEngine = {TavikOpen,       TavikClose,      TavikDecodeFrame,  TavikAdvance,
                            TavikNotYetDue,  TavikSetPlaying, TavikSetFrameRate, TavikSetReadSpeed,
                            TavikGetSummary, TavikSetDest,    TavikNextRect,     TavikRemap,
                            TavikUseMMX};

// A small movie: a square moving over a grey ramp, a palette change half way.
std::vector<uint8_t> SmallMovie(uint32_t frames) {
    enc::MovieSpec plan;
    plan.width = 64;
    plan.height = 48;
    plan.frameRate = 0;
    for (uint32_t f = 0; f < frames; ++f) {
        enc::Frame frame;
        frame.pixels.assign(64 * 48, 0);
        for (uint32_t i = 0; i < 64 * 48; ++i) frame.pixels[i] = static_cast<uint8_t>(i % 64 + 64);
        for (uint32_t y = 8; y < 16; ++y) {
            for (uint32_t x = 4 * f; x < 4 * f + 8; ++x) frame.pixels[y * 64 + x % 64] = 200;
        }
        if (f == 0 || f == frames / 2) {
            enc::Palette palette{};
            for (int i = 0; i < 256; ++i) {
                palette[3 * i] = enc::QuantizeComponent(static_cast<uint8_t>(i));
                palette[3 * i + 1] = enc::QuantizeComponent(static_cast<uint8_t>(255 - i));
                palette[3 * i + 2] = enc::QuantizeComponent(static_cast<uint8_t>(f * 8));
            }
            frame.palette = palette;
        }
        plan.frames.push_back(std::move(frame));
    }
    return enc::EncodeMovie(plan);
}

class PlayerMovieTest : public ::testing::Test {
  protected:
    void SetUp() override {
        headless::Reset(headless::Recorded());
        ResetDisplayState();
        ResetWindowState();
        SetPlatform(&HeadlessPlatform());
        SetMovies(&kEngine);
        path = ::testing::TempDir() + "player_movie_test_" + std::to_string(getpid()) + ".tvk";
        const std::vector<uint8_t> movie = SmallMovie(6);
        ASSERT_FALSE(movie.empty());
        ASSERT_TRUE(enc::WriteFile(path, movie));
    }
    // The name as a command line carries it: '/' starts switches, so paths use '\\'.
    std::string Name() const {
        std::string name = path;
        for (char& c : name) {
            if (c == '/') c = '\\';
        }
        return "\"" + name + "\"";
    }
    void TearDown() override {
        SetMovies(nullptr);
        SetPlatform(nullptr);
        std::remove(path.c_str());
        EXPECT_EQ(headless::TheScreen().windows.size(), 0u);
        EXPECT_EQ(headless::TheScreen().livePalettes, 0);
    }
    std::string path;
};

TEST_F(PlayerMovieTest, PlaysThroughAndSummarises) {
    PlayerRun run;
    run.commandLine = "/S /F " + Name();
    PlayerEntry(run);
    const auto& messages = headless::TheScreen().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Tavik Summary");
    EXPECT_NE(messages[0].text.find("Frame rate: As fast as possible.\r\n"), std::string::npos);
    EXPECT_NE(messages[0].text.find("Total frames played: 6\r\n"), std::string::npos);
    EXPECT_NE(messages[0].text.find("Screen colors: 256\r\n"), std::string::npos);
    // Two palettes reached the screen, and every frame drew something.
    EXPECT_EQ(headless::TheScreen().palettesCreated.size(), 2u);
    EXPECT_GE(headless::TheScreen().draws.size(), 6u);
}

TEST_F(PlayerMovieTest, EveryDisplayPathPlays) {
    for (const char* switches : {"/V3", "/V4 /W128 /H96", "/V4 /W100", "/O", "/K /L2 /V131"}) {
        headless::Config c;
        c.directDraw = true;
        c.depth = 16;
        c.record = true;
        headless::Reset(c);
        ResetDisplayState();
        PlayerRun run;
        run.commandLine = std::string("/S /F ") + switches + " " + Name();
        PlayerEntry(run);
        ASSERT_EQ(headless::TheScreen().messages.size(), 1u) << switches;
        EXPECT_EQ(headless::TheScreen().messages[0].caption, "Tavik Summary") << switches;
    }
    EXPECT_NE(headless::TheScreen().messages[0].text.find("Total frames played: 12\r\n"),
              std::string::npos);
}

const std::string kPlayerDir = std::string(TAVIK_TOOLS_DIR) + "/../src/player/";

// Runs the program with its output discarded; its peak resident memory in kilobytes, or -1 when
// it did not end with status 0.
long PeakKilobytesOf(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (failed != 0) return -1;
    int status = 0;
    struct rusage usage {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// Played headless a few thousand times, the movie takes no more memory than played twenty times.
TEST_F(PlayerMovieTest, HeadlessPlaybackKeepsItsMemory) {
    const std::string player = kPlayerDir + "tavikplay";
    if (!std::ifstream(player)) GTEST_SKIP() << "tavikplay not built";
    const auto peak = [&](const char* loops) {
        return PeakKilobytesOf({player, "--video=null", "--audio=null", "-F", loops, path});
    };
    const long shortRun = peak("-L20");
    const long longRun = peak("-L4000");
    ASSERT_GT(shortRun, 0);
    ASSERT_GT(longRun, 0);
    EXPECT_LE(longRun, shortRun + 1024) << "kilobytes after 20 and after 4000 loops";
}

// The program built here, made self-playing by the tool, plays its own movie.
TEST_F(PlayerMovieTest, SelfPlayingProgram) {
    const std::string dir = kPlayerDir;
    const std::string player = dir + "tavikplay";
    const std::string tool = dir + "tavik-selfplay";
    if (!std::ifstream(player) || !std::ifstream(tool)) GTEST_SKIP() << "tavikplay not built";
    const std::string program =
        ::testing::TempDir() + "tavik_selfplaying_" + std::to_string(getpid());
    const std::string output =
        ::testing::TempDir() + "tavik_selfplaying_" + std::to_string(getpid()) + ".out";
    ASSERT_EQ(std::system((tool + " " + player + " " + path + " " + program + " /S /F").c_str()),
              0);
    ASSERT_EQ(std::system(("chmod +x " + program).c_str()), 0);
    ASSERT_EQ(std::system((program + " --video=null > " + output).c_str()), 0);
    std::ifstream in(output);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Tavik Summary"), std::string::npos) << text;
    EXPECT_NE(text.find("Total frames played: 6\n"), std::string::npos) << text;
    std::remove(program.c_str());
    std::remove(output.c_str());
}

}  // namespace
}  // namespace tavik
