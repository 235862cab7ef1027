// The Linux player's additions that need no window: start times and screenshot names.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tavik
