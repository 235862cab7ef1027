// Whole movies through the engine on the headless screen, and the self-playing program.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "player_test_support.h"

namespace tavik {
namespace {

const MovieCalls kEngine = {TavikOpen,       TavikClose,      TavikDecodeFrame,  TavikAdvance,
                            TavikNotYetDue,  TavikSetPlaying, TavikSetFrameRate, TavikSetReadSpeed,
                            TavikGetSummary, TavikSetDest,    TavikNextRect,     TavikRemap,
                            TavikUseMMX,     TavikSeek};

// A conformance movie: palette changes in all frames but one, a track of sound.
const std::string kMovie = std::string(TAVIK_CONFORMANCE_DIR) + "/palette_160x120.tvk";

class PlayerMovieTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        SetMovies(&kEngine);
    }
    // The name as a command line carries it: '/' starts switches, so paths use '\\'.
    static std::string Name() {
        std::string name = kMovie;
        std::replace(name.begin(), name.end(), '/', '\\');
        return "\"" + name + "\"";
    }
};

TEST_F(PlayerMovieTest, PlaysThroughAndSummarises) {
    Play("/S /F " + Name());
    const auto& messages = Screen().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Tavik Summary");
    EXPECT_NE(messages[0].text.find("Frame rate: As fast as possible.\r\n"), std::string::npos);
    EXPECT_NE(messages[0].text.find("Total frames played: 8\r\n"), std::string::npos);
    EXPECT_NE(messages[0].text.find("Screen colors: 256\r\n"), std::string::npos);
    // The seven palettes reached the screen, and every frame drew something.
    EXPECT_EQ(Screen().palettesCreated.size(), 7u);
    EXPECT_GE(Screen().draws.size(), 8u);
}

TEST_F(PlayerMovieTest, EveryDisplayPathPlays) {
    for (const char* switches : {"/V3", "/V4 /W128 /H96", "/V4 /W100", "/O", "/K /L2 /V131"}) {
        headless::Config c;
        c.directDraw = true;
        c.depth = 16;
        Start(c);
        Play(std::string("/S /F ") + switches + " " + Name());
        ASSERT_EQ(Screen().messages.size(), 1u) << switches;
        EXPECT_EQ(Screen().messages[0].caption, "Tavik Summary") << switches;
    }
    EXPECT_NE(Screen().messages[0].text.find("Total frames played: 16\r\n"), std::string::npos);
}

const std::string kPlayerDir = std::string(TAVIK_TOOLS_DIR) + "/../src/player/";

// Runs the command with its output discarded: the peak resident memory of the largest child so
// far in kilobytes (a child's own children count), or -1 when it did not end with status 0.
long PeakKilobytesAfter(const std::string& command) {
    if (std::system((command + " > /dev/null 2>&1").c_str()) != 0) return -1;
    struct rusage usage {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

// Played headless a few thousand times, the movie takes no more memory than played twenty times.
TEST_F(PlayerMovieTest, HeadlessPlaybackKeepsItsMemory) {
    const std::string player = kPlayerDir + "tavikplay";
    if (!std::ifstream(player)) GTEST_SKIP() << "tavikplay not built";
    const auto peak = [&](const char* loops) {
        return PeakKilobytesAfter(player + " --video=null --audio=null -F " + loops + " " +
                                  TAVIK_CONFORMANCE_DIR + "/blocks_64x48.tvk");
    };
    const long shortRun = peak("-L20");  // the shorter run first: the peak only grows
    const long longRun = peak("-L2000");
    ASSERT_GT(shortRun, 0);
    ASSERT_GT(longRun, 0);
    EXPECT_LE(longRun, shortRun + 1024) << "kilobytes after 20 and after 2000 loops";
}

// The program built here, made self-playing by the tool, plays its own movie.
TEST_F(PlayerMovieTest, SelfPlayingProgram) {
    const std::string player = kPlayerDir + "tavikplay", tool = kPlayerDir + "tavik-selfplay";
    if (!std::ifstream(player) || !std::ifstream(tool)) GTEST_SKIP() << "tavikplay not built";
    const std::string program =
        ::testing::TempDir() + "tavik_selfplaying_" + std::to_string(getpid());
    ASSERT_EQ(std::system((tool + " " + player + " " + kMovie + " " + program + " /S /F").c_str()),
              0);
    ASSERT_EQ(std::system(("chmod +x " + program).c_str()), 0);
    FILE* out = popen((program + " --video=null").c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text(1 << 16, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), out));
    EXPECT_EQ(pclose(out), 0);
    EXPECT_NE(text.find("Tavik Summary"), std::string::npos) << text;
    EXPECT_NE(text.find("Total frames played: 8\n"), std::string::npos) << text;
    std::remove(program.c_str());
}

}  // namespace
}  // namespace tavik
