// The player's tests on the recording headless screen: each starts with no display, window or
// movie calls left from another, and must leave no window, palette, icon or buffer behind.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless_platform.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "player/player_window.h"

namespace tavik {

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(headless::Config{}); }
    static void Start(headless::Config config) {
        headless::Reset(headless::Recorded(config));
        ResetDisplayState();
        ResetWindowState();
        SetPlatform(&HeadlessPlatform());
    }
    void TearDown() override {
        ClosePlayerWindow();
        SetMovies(nullptr);
        SetPlatform(nullptr);
        EXPECT_EQ(Screen().windows.size(), 0u);
        EXPECT_EQ(Screen().liveIcons, 0);
        EXPECT_EQ(Screen().livePalettes, 0);
        EXPECT_EQ(Screen().liveOffscreens, 0);
        EXPECT_EQ(Screen().liveDrawContexts, 0);
        EXPECT_TRUE(Screen().classes.empty());
    }
    static void Play(const std::string& commandLine, const std::string& programPath = "") {
        PlayerRun run;
        run.commandLine = commandLine;
        run.programPath = programPath;
        PlayerEntry(run);
    }
    static headless::Screen& Screen() { return headless::TheScreen(); }
};

}  // namespace tavik
