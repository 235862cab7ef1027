// The main loop over scripted movies: the list and its loops, keys, pausing and stepping, focus,
// sound-only and difference modes, failures, self-play, the closing texts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "player/self_play.h"
#include "player/switches.h"
#include "player_test_support.h"

namespace tavik {
namespace {

// What the scripted movies saw.
struct Script {
    uint32_t frames = 3;  // of 64 x 48
    // Keys posted while a frame decodes are read in that frame's wait.
    std::function<void(int decodes)> onDecode;
    std::function<void(int call, TavikMovie* movie)> onWait;
    std::vector<std::string> opened;
    std::vector<uint32_t> decoded;  // frame numbers
    std::vector<int32_t> playing;
    int waits = 0, remaps = 0, closes = 0, dests = 0;
    int ownFileByte = -1;  // the first byte read through a handed-over file
};
Script* g_script = nullptr;

TavikMovie* ScriptOpen(const void* source, uint32_t flags, uint32_t) {
    Script& s = *g_script;
    if (flags & TavikFileHandle) {
        const auto file = reinterpret_cast<TavikFile>(source);
        uint8_t byte = 0;
        const TavikSystem* system = TavikGetSystem();
        if (system->ReadFile(system->Context, file, &byte, 1) == 1) s.ownFileByte = byte;
        s.opened.push_back("(own file)");
    } else {
        const std::string name = static_cast<const char*>(source);
        s.opened.push_back(name);
        if (name.find("missing") != std::string::npos) return nullptr;
    }
    auto* movie = new TavikMovie{};
    movie->Header.Width = 64;
    movie->Header.Height = 48;
    movie->Header.FrameCount = s.frames;
    movie->NewPalette = 1;
    movie->HighestRate = 777;
    return movie;
}
void ScriptClose(TavikMovie* movie) {
    ++g_script->closes;
    delete movie;
}
uint32_t ScriptDecode(TavikMovie* movie) {
    g_script->decoded.push_back(movie->FrameNum);
    if (g_script->onDecode) g_script->onDecode(static_cast<int>(g_script->decoded.size()));
    ++movie->FramesDecoded;
    movie->RectState = 1;
    return 0;
}
void ScriptAdvance(TavikMovie* movie) {
    movie->FrameNum = (movie->FrameNum + 1) % movie->Header.FrameCount;
    movie->NewPalette = 0;
}
uint32_t ScriptNotYetDue(TavikMovie* movie) {
    ++g_script->waits;
    if (g_script->onWait) g_script->onWait(g_script->waits, movie);
    return 0;
}
uint32_t ScriptPlaying(TavikMovie*, int32_t playing) {
    g_script->playing.push_back(playing);
    return 1;
}
void ScriptSummary(TavikMovie* movie, TavikSummary* summary) {
    *summary = TavikSummary{};
    summary->FramesPlayed = movie->FramesDecoded;
    summary->TotalTime = 100;
}
void ScriptDest(TavikMovie*, uint32_t, uint32_t, int32_t, uint32_t, void*, uint32_t) {
    ++g_script->dests;
}
uint32_t ScriptNextRect(TavikMovie* movie, uint32_t) {
    if (movie->RectState == 0) return 0;
    movie->RectState = 0;
    movie->LastRect[0] = movie->LastRect[1] = 0;
    movie->LastRect[2] = movie->Header.Width;
    movie->LastRect[3] = movie->Header.Height;
    return 1;
}
void ScriptRemap(TavikMovie*, const void*, uint32_t, uint32_t, uint32_t) {
    ++g_script->remaps;
}

// The engine's own settings calls change nothing a scripted movie looks at.
const MovieCalls kScripted = {ScriptOpen,      ScriptClose,   ScriptDecode,      ScriptAdvance,
                              ScriptNotYetDue, ScriptPlaying, TavikSetFrameRate, TavikSetReadSpeed,
                              ScriptSummary,   ScriptDest,    ScriptNextRect,    ScriptRemap,
                              TavikUseMMX,     TavikSeek};

class PlayerMainTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        g_script = &script;
        SetMovies(&kScripted);
        SetSelfPlayFieldForTesting("");
    }
    void TearDown() override {
        PlayerTest::TearDown();
        SetSelfPlayFieldForTesting("");
        g_script = nullptr;
    }
    const headless::Message& LastMessage() { return Screen().messages.back(); }

    Script script;
};

TEST_F(PlayerMainTest, OneMovieLoopsWithoutReopeningAListReopensEachMovie) {
    Play("a /L2 /D4");
    EXPECT_EQ(script.opened, (std::vector<std::string>{"a.Tvk"}));
    EXPECT_EQ(script.decoded, (std::vector<uint32_t>{0, 1, 2, 0, 1, 2}));
    // One destination; one remap: the first palette, with statics reserved.
    EXPECT_EQ(std::tuple(script.closes, script.dests, script.remaps), std::tuple(1, 1, 1));
    EXPECT_EQ(LastMessage().caption, "TavikPlay - V3.2k");  // the closing notice
    EXPECT_EQ(Screen().messages.size(), 1u);
    // The display resolution is changed around the whole list.
    ASSERT_EQ(Screen().resolutionChanges.size(), 2u);
    EXPECT_EQ(Screen().resolutionChanges[0].x, 1024);
    EXPECT_EQ(Screen().resolutionChanges[1].x, 0);

    script = Script{};
    Play("a b.tvk /L2");
    EXPECT_EQ(script.opened, (std::vector<std::string>{"a.Tvk", "b.tvk", "a.Tvk", "b.tvk"}));
    EXPECT_EQ(script.decoded.size(), 12u);
    EXPECT_EQ(script.closes, 4);
}

TEST_F(PlayerMainTest, FailedOpenOrWindowEndsTheList) {
    Play("a missing b /S");
    EXPECT_EQ(script.opened, (std::vector<std::string>{"a.Tvk", "missing.Tvk"}));
    ASSERT_EQ(Screen().messages.size(), 2u);
    EXPECT_EQ(Screen().messages[0].text, " Error opening file: missing.");
    EXPECT_TRUE(Screen().messages[0].stopIcon);
    EXPECT_EQ(LastMessage().caption, "Tavik Summary");  // of movie a
    EXPECT_NE(LastMessage().text.find("Total frames played: 3\r\n"), std::string::npos);
    EXPECT_NE(LastMessage().text.find("data rate: 777\r\n"), std::string::npos);
    EXPECT_NE(LastMessage().text.find("Display blitter: DIBSection"), std::string::npos);

    Screen().messages.clear();
    Play("missing /S");  // nothing played: no summary, no notice
    ASSERT_EQ(Screen().messages.size(), 1u);
    EXPECT_EQ(Screen().messages[0].caption, "TavikPlay");

    script = Script{};
    headless::Config c;
    c.failOffscreen = true;
    Start(c);
    Play("a b /V4");
    EXPECT_EQ(script.opened.size(), 1u);
    EXPECT_EQ(script.closes, 1);
    EXPECT_EQ(Screen().messages[0].text, " Error opening graphics buffer.");
}

TEST_F(PlayerMainTest, UsageCases) {
    Play("");
    const headless::Message& usage = LastMessage();
    EXPECT_EQ(usage.caption, UsageCaption());
    EXPECT_EQ(UsageCaption().rfind("TavikPlay  V 3.2k - ", 0), 0u);
    EXPECT_FALSE(usage.stopIcon);
    // The box drops one leading blank of the text.
    EXPECT_EQ(usage.text, std::string(kUsageText).substr(1));
    EXPECT_EQ(usage.text.rfind(" SYNTAX: TavikPly <Tavik1 Tavik2...> [/Switches]\r\n", 0), 0u);
    EXPECT_NE(usage.text.find("    /I# \t- Window style: 1=thin border, 2=thin, no caption, "
                              "3=no caption, 4=nothing.\r\n"),
              std::string::npos);
    const std::string ending =
        "\r\n        \t    Add 128 for interlaced, 256 for smoothing, or 384 for no DirectDraw.";
    EXPECT_EQ(usage.text.substr(usage.text.size() - ending.size()), ending);
    Play("/S /P");
    EXPECT_EQ(Screen().messages.size(), 2u);
    Play("a /Px");
    EXPECT_EQ(Screen().messages.size(), 3u);
    Play(std::string(300, 'a'));
    EXPECT_EQ(Screen().messages.size(), 4u);
    EXPECT_TRUE(script.opened.empty());
}

TEST_F(PlayerMainTest, QuitSkipAndDisabledControls) {
    // Keys posted while decode `at` runs ('\x7f' closes the window). A key in the last frame's
    // wait still acts; under /U7 none of them does.
    const struct {
        const char *line, *keys;
        int at;
        size_t opened, decoded;
    } cases[] = {{"a b", "\x1b", 2, 1, 2},
                 {"a b", ".", 1, 2, 1 + 3},
                 {"a b", "\x7f", 3, 1, 3},
                 {"a b /U7", "\x1b .\x7f", 1, 2, 6}};
    for (const auto& c : cases) {
        script = Script{};
        script.onDecode = [&c](int decodes) {
            for (const char* k = c.keys; decodes == c.at && *k != 0; ++k)
                *k == '\x7f' ? Screen().PostClose() : Screen().PostChar(static_cast<uint8_t>(*k));
        };
        Play(c.line);
        EXPECT_EQ(script.opened.size(), c.opened) << c.line << " " << c.keys;
        EXPECT_EQ(script.decoded.size(), c.decoded) << c.line << " " << c.keys;
    }
    EXPECT_TRUE(script.playing.empty());
}

TEST_F(PlayerMainTest, PauseAndStepOneFrameAtATime) {
    script.frames = 6;
    script.onDecode = [](int decodes) {
        if (decodes == 1) Screen().PostChar(' ');
    };
    std::vector<size_t> stepsSeen;  // Enter steps in waits 10 and 20, a blank resumes in 30
    script.onWait = [&](int call, TavikMovie*) {
        if (call % 10 != 0 || call > 30) return;
        stepsSeen.push_back(script.decoded.size());
        Screen().PostChar(call == 30 ? ' ' : 13);
    };
    Play("a");
    EXPECT_EQ(stepsSeen, (std::vector<size_t>{1, 2, 3}));
    EXPECT_EQ(script.decoded.size(), 6u);
    EXPECT_EQ(script.playing, (std::vector<int32_t>{0, 255}));
}

TEST_F(PlayerMainTest, LosingTheFocusPauses) {
    script.frames = 4;
    size_t decodedWhileAway = 0;
    script.onWait = [&](int call, TavikMovie*) {
        if (call == 8) decodedWhileAway = script.decoded.size();
        if (call == 1 || call == 8) Screen().focus = call == 1 ? nullptr : Screen().PlayerWindow();
    };
    Play("a");
    EXPECT_EQ(decodedWhileAway, 2u);  // the loss is seen in frame 1's wait
    EXPECT_EQ(script.playing, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(script.decoded.size(), 4u);

    script = Script{};
    script.onWait = [](int call, TavikMovie*) {
        if (call == 1) Screen().focus = nullptr;
    };
    Play("a /J");
    EXPECT_TRUE(script.playing.empty());
    EXPECT_EQ(script.decoded.size(), 3u);
}

TEST_F(PlayerMainTest, SoundOnlyShowsAProgressBar) {
    script.frames = 4;
    std::vector<int> filled;
    script.onWait = [&filled](int, TavikMovie*) {
        const DisplayBuffer* b = WindowState().buffer;
        int count = 0;
        while (count < 160 && b->Bits[count] == 9) ++count;
        filled.push_back(count);
    };
    Play("a /O");
    EXPECT_EQ(filled, (std::vector<int>{1, 41, 81, 121}));
    EXPECT_EQ(std::tuple(script.dests, script.remaps), std::tuple(0, 0));
}

TEST_F(PlayerMainTest, DifferencesFrameNumbersAndRemapOptions) {
    std::vector<std::string> titles;
    script.onWait = [&titles](int, TavikMovie*) {
        titles.push_back(Screen().PlayerWindow()->title);
    };
    Play("a /K /Q /R2");
    EXPECT_EQ(titles.back(), "TavikPlay - Frame: 3");
    EXPECT_EQ(script.remaps, 0);
    // /K clears to colour 0 and shows the whole buffer before every frame.
    size_t wholeDraws = 0;
    for (const auto& d : Screen().draws) wholeDraws += d.dw == 64 && d.dh == 48;
    EXPECT_GE(wholeDraws, 6u);
}

TEST_F(PlayerMainTest, SelfPlayFieldPlaysTheAppendedMovieFirst) {
    // Any file stands for the program: the movie's bytes begin at the field's offset.
    const std::string program = std::string(TAVIK_CONFORMANCE_DIR) + "/blocks_64x48.tvk";
    SetSelfPlayFieldForTesting(":3 /L2");
    Play("b", program);
    EXPECT_EQ(script.opened,
              (std::vector<std::string>{"(own file)", "b.Tvk", "(own file)", "b.Tvk"}));
    EXPECT_EQ(script.ownFileByte, '2');  // of "TVK2"

    // An unknown switch in the field ends the program after the usage message.
    SetSelfPlayFieldForTesting(":3 /Px");
    script = Script{};
    Play("b", program);
    EXPECT_TRUE(script.opened.empty());
    EXPECT_EQ(LastMessage().text.rfind(" SYNTAX", 0), 0u);
}

}  // namespace
}  // namespace tavik
