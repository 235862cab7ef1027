// The playback summary's texts.
#include <gtest/gtest.h>

#include "display/display_buffer.h"
#include "player/summary.h"

namespace tavik {
namespace {

TEST(PlayerSummary, Durations) {
    EXPECT_EQ(FormatDuration(0), "0 milliseconds");
    EXPECT_EQ(FormatDuration(1), "1 millisecond");
    EXPECT_EQ(FormatDuration(999), "999 milliseconds");
    EXPECT_EQ(FormatDuration(1500), "1 second");
    EXPECT_EQ(FormatDuration(59999), "59 seconds");
    EXPECT_EQ(FormatDuration(61000), "1 minute 1 second");
    EXPECT_EQ(FormatDuration(120000), "2 minutes 0 seconds");
    EXPECT_EQ(FormatDuration(3600000), "1 hour 0 minutes");
    EXPECT_EQ(FormatDuration(7320000), "2 hours 2 minutes");
    EXPECT_EQ(FormatDuration(0xFFFFFFFFu), "1193 hours 2 minutes");
}

// TavikSummary's fields in their order (named in the text below), the slowest time 0 on purpose.
PlaybackSummary Sample() {
    const TavikSummary stats = {10000,   6600, 250, 151, 2,  1,    1234,   500,   3333, 0,
                                1500000, 0,    30,  7,   12, 4096, 300000, 65536, 4000};
    return {stats, 90000, 3, 256, "DIBSection"};
}

TEST(PlayerSummary, WholeText) {
    const std::string expected =
        "  Frame rate: 15.1"
        "\r\n  Frame rate obtained: 15.1"
        "\r\n  Total frames played: 151"
        "\r\n  Skipped frames: 2"
        "\r\n  Sound skips: 1"
        "\r\n  Total playback time: 10 seconds"
        "\r\n  Total open time: 250 milliseconds"
        "\r\n\r\n  Average frame size: 4096"
        "\r\n  Highest one second data rate: 90000"
        "\r\n  Highest one second data rate start frame: 3"
        "\r\n  Speed of playback device: 1500000"
        "\r\n  Memory used for playback: 300000"
        "\r\n  Total extra buffering memory: 65536"
        "\r\n  Highest extra buffering memory used: 4000"
        "\r\n\n  Percentage spent decompressing: 33.3"
        "\r\n  Percentage spent blitting: 12.3"
        "\r\n  Percentage spent reading: 5.0"
        "\r\n  Percentage spent background reading: 0.0"
        " (when idle)\r\n\n  Slowest frame: 7  Frame rate: 1000.0"
        "\r\n  Second slowest frame: 12  Frame rate: 33.3"
        "\r\n\r\n  Screen colors: 256"
        "\r\n  Display blitter: DIBSection";
    EXPECT_EQ(SummaryText(Sample()), expected);
}

TEST(PlayerSummary, EdgeCases) {
    PlaybackSummary p = Sample();
    p.stats.FrameTime = 0;
    p.stats.FramesPlayed = 1;
    p.stats.TotalTime = 0;  // counts as 1
    p.stats.SlowestTime = 1000;
    const std::string text = SummaryText(p);
    EXPECT_EQ(text.rfind("  Frame rate: As fast as possible.\r\n  Frame rate obtained: 1000.0", 0),
              0u);
    EXPECT_NE(text.find("Slowest frame: 7  Frame rate: 1.0\r\n\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Second slowest"), std::string::npos);
    p.stats.FramesPlayed = 2;  // from two frames on there is a second slowest
    EXPECT_NE(SummaryText(p).find("Second slowest frame: 12"), std::string::npos);
    p.stats.FramesPlayed = 0;
    EXPECT_EQ(SummaryText(p), "");
    // Numbers print as signed 32-bit values.
    p.stats.FramesPlayed = 1;
    p.stats.AverageFrameSize = 0xFFFFFFFFu;
    EXPECT_NE(SummaryText(p).find("Average frame size: -1\r\n"), std::string::npos);
}

TEST(PlayerSummary, DisplayDescriptions) {
    ResetDisplayState();
    DisplayBuffer b{};
    EXPECT_EQ(DescribeDisplay(nullptr), "");
    const char* names[] = {"Automatic",
                           "Full screen 320x240",
                           "Full screen 320x200",
                           "Full screen 320x200 direct",
                           "Standard Windows DIBs",
                           "WinG"};
    for (uint32_t m = 0; m < 6; ++m) {
        b.Method = m;
        EXPECT_EQ(DescribeDisplay(&b), names[m]);
    }
    // A blitter only shows once direct output was used.
    b.Blitter = reinterpret_cast<TavikBlitter*>(&b);
    EXPECT_EQ(DescribeDisplay(&b), "WinG");
}

}  // namespace
}  // namespace tavik
