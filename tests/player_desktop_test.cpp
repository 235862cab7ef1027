// The desktop player's additions that need no window: start times, screenshot names, and the
// additions' switches taken out of the Windows program's command line.
#include <gtest/gtest.h>

#include <tuple>

#include "player/desktop/desktop_options.h"
#include "player/desktop/desktop_player.h"
#include "player/desktop/screenshot.h"

namespace tavik {
namespace {

TEST(PlayerDesktop, StartTimes) {
    const struct {
        const char* text;
        int64_t ms;
    } cases[] = {
        {"0", 0},    {"90", 90000},   {"12.5", 12500}, {"1:30", 90000}, {"10:05", 605000},
        {"", -1},    {"x", -1},       {"-3", -1},      {"1:5", -1},     {"1:60", -1},
        {":30", -1}, {"1:30:00", -1}, {"1e3", -1},     {"a:30", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseStartTime(c.text), c.ms) << c.text;
}

TEST(PlayerDesktop, ScreenshotNames) {
    EXPECT_EQ(ScreenshotName("/tmp/movies/demo.tvk", 42), "demo-00042.png");
    EXPECT_EQ(ScreenshotName("clip", 0), "clip-00000.png");
    EXPECT_EQ(ScreenshotName("/tmp/.tvk", 7), ".tvk-00007.png");
}

// Only the additions are taken out: switches, names (quoted ones holding a "--" word too) and
// words that name no addition stay for the player as they were.
TEST(PlayerDesktop, TakesTheAdditionsOutOfACommandLine) {
    std::string line = "a.tvk --pause /L3 --scale=3 \"my --pause.tvk\" --start=1:30 --other b";
    DesktopOptions options;
    EXPECT_EQ(TakeDesktopOptions(line, options), "");
    EXPECT_EQ(line, "a.tvk /L3 \"my --pause.tvk\" --other b");
    EXPECT_TRUE(options.start.paused);
    EXPECT_EQ(std::tuple(options.scale, options.start.timeMs, options.start.frame, options.help),
              std::tuple(3, 90000, -1, false));

    const struct {
        const char* line;
        const char* problem;
    } bad[] = {
        {"a --scale=17", "--scale=17: takes a whole number from 1 to 16"},
        {"a --start-frame", "--start-frame: needs a value"},
        {"--pause=1 a", "--pause=1: takes no value"},
        {"a --start=1:60", "--start=1:60: takes seconds (12.5) or MM:SS (1:30)"},
    };
    for (const auto& c : bad) {
        std::string text = c.line;
        DesktopOptions ignored;
        EXPECT_EQ(TakeDesktopOptions(text, ignored), c.problem) << c.line;
        EXPECT_EQ(text.find("--"), std::string::npos) << c.line;
    }
}

}  // namespace
}  // namespace tavik
