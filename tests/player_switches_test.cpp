// The command line: names, switches in their order, the usage cases, the self-play field.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/headless/headless_platform.h"
#include "player/command_line.h"
#include "player/main_loop.h"
#include "player/self_play.h"
#include "player/switches.h"

namespace tavik {
namespace {

PlayerSettings Parse(std::string text, bool* ok = nullptr, std::string* left = nullptr) {
    PlayerSettings s;
    const bool result = ReadSwitches(text, s, nullptr);
    if (ok != nullptr) *ok = result;
    if (left != nullptr) *left = text;
    return s;
}

TEST(PlayerSplitName, CommasBlanksAndQuotes) {
    // Without a closing quote the quote belongs to the name; bytes from 0x80 up are blanks.
    const struct {
        const char *list, *name, *rest;
    } cases[] = {{"a,b", "a,b", ""},
                 {"a , b", "a", "b"},
                 {"a ,b", "a", "b"},
                 {"  \"my movie.tvk\" next", "my movie.tvk", "next"},
                 {"\"open quote", "\"open", "quote"},
                 {"   ", "", ""},
                 {"a\240b", "a", "b"}};
    for (const auto& c : cases) {
        std::string list = c.list;
        EXPECT_EQ(SplitFirstName(list), c.name) << c.list;
        EXPECT_EQ(list, c.rest) << c.list;
    }
}

TEST(PlayerSwitches, FindingAndReading) {
    std::string text = "x /p/l y";
    EXPECT_TRUE(HasSwitch(text, 'P'));
    EXPECT_TRUE(HasSwitch(text, 'L'));
    EXPECT_EQ(text, "x  y");
    text = "/Px";
    EXPECT_FALSE(HasSwitch(text, 'P'));  // followed by a letter: not this switch
    text = "/f-40 /F";
    EXPECT_EQ(SwitchValue(text, 'F', 7), -40);
    EXPECT_EQ(text, " /F");
    EXPECT_EQ(SwitchValue(text, 'F', 7), 7);  // the plain form is no value
    text = "/X- /X12";
    EXPECT_EQ(SwitchValue(text, 'X', 0), 12);  // a minus without digits is passed over
    EXPECT_EQ(text, "/X- ");
    text = "/X99999999999";  // wraps like 32-bit arithmetic instead of overflowing
    SwitchValue(text, 'X', 0);
    EXPECT_EQ(text, "");
}

TEST(PlayerSwitches, EveryRowOfTheTable) {
    bool ok = false;
    std::string left;
    PlayerSettings s = Parse(
        "movie /X10 /Y-20 /B /C /M5000 /E65536 /L3 /P /N /@ /G /T5 /A2 /F10 /U7 /S /K /Q /Z "
        "/I2 /R1 /V260 /J /H400 /W640 /D2",
        &ok, &left);
    EXPECT_TRUE(ok);
    TrimBlanks(left);
    EXPECT_EQ(left, "movie");
    EXPECT_EQ(s.windowX, 10);
    EXPECT_EQ(s.windowY, -20);
    EXPECT_EQ(s.readSpeed, 5000);
    EXPECT_EQ(s.extraBuffer, 65536u);
    EXPECT_EQ(s.loopCount, 3u);
    EXPECT_TRUE(s.noMMX);
    EXPECT_EQ(s.frameRate, 10);
    EXPECT_EQ(s.disabledControls, 7u);
    EXPECT_TRUE(s.showSummary && s.differencesOnly && s.frameInCaption);
    EXPECT_FALSE(s.useDirectSound);  // no DirectSound to be had
    EXPECT_EQ(s.remapOption, 1);
    EXPECT_TRUE(s.keepPlayingWithoutFocus);
    EXPECT_EQ(s.stretchWidth, 640);
    EXPECT_EQ(s.stretchHeight, 400);
    EXPECT_EQ(s.displayResolution, 2);
    EXPECT_EQ(s.openFlags,
              uint32_t{TavikSimulateSpeed | TavikPreload | TavikNoSkip | TavikFillRing |
                       TavikTrack0 | TavikTrack2 | TavikDouble | TavikRateOverride});
    // /V260 = 256 (smoothing) + 4 (DIB section); /I2 thin border without caption.
    EXPECT_EQ(s.displayFlags, 0x100u | 0x1000u | 0xC200u | 0x40u | 25u);
}

TEST(PlayerSwitches, LoopsFrameRatesTracksAndScaling) {
    EXPECT_EQ(Parse("/L").loopCount, 0xFFFFFFFFu);
    EXPECT_EQ(Parse("/L0").loopCount, 1u);
    EXPECT_EQ(Parse("/l5").loopCount, 5u);
    EXPECT_TRUE(Parse("/F").openFlags & TavikRateOverride);
    // Frames per second from 2 to 1500 become hundredths; the rest are passed on as they are.
    for (const auto& [text, rate] :
         {std::pair{"/F", 0}, {"/F-40", -4000}, {"/F-2", -200}, {"/F-1", -1}, {"/F-1501", -1501}})
        EXPECT_EQ(Parse(text).frameRate, rate) << text;
    EXPECT_FALSE(Parse("").openFlags & TavikRateOverride);
    EXPECT_EQ(Parse("/T0").openFlags & TavikAllTracks, 0u);
    EXPECT_EQ(Parse("/T255").openFlags & TavikAllTracks, uint32_t{TavikAllTracks});
    EXPECT_EQ(Parse("/A1").openFlags & TavikNoScale, uint32_t{TavikInterlace});
    EXPECT_EQ(Parse("/A3").openFlags & TavikNoScale, uint32_t{TavikNoScale});
    EXPECT_EQ(Parse("/A7").openFlags & TavikNoScale, 0u);
    EXPECT_FALSE(Parse("/M0").openFlags & TavikSimulateSpeed);
}

TEST(PlayerSwitches, DisplayFlagsFromStyleVideoAndSoundOnly) {
    EXPECT_EQ(Parse("/I1").displayFlags, 0xC000u);
    EXPECT_EQ(Parse("/I3").displayFlags, 0x200u);
    EXPECT_EQ(Parse("/I4").displayFlags, 0x4200u);
    EXPECT_EQ(Parse("/I2 /I9").displayFlags, 0xC200u);  // the second /I9 is left: usage
    EXPECT_EQ(Parse("/V1").displayFlags, 22u);
    EXPECT_EQ(Parse("/V130").displayFlags, 0x80u | 23u);
    EXPECT_EQ(Parse("/V387").displayFlags, 0x20u | 24u);
    EXPECT_EQ(Parse("/V5").displayFlags, 0u);
    // Sound only forces standard DIBs whatever was asked.
    EXPECT_EQ(Parse("/O /V4").displayFlags & 0x1F, 24u);
    EXPECT_EQ(Parse("/O /V1").displayFlags & 0x1F, 24u);
}

TEST(PlayerSwitches, LeftoversMeanUsage) {
    for (const char* bad : {"a /Px", "a /Q /Q", "a /X", "a /Y", "a /%", "a/"}) {
        bool ok = true;
        Parse(bad, &ok);
        EXPECT_FALSE(ok) << bad;
    }
    bool ok = false;
    Parse("a /P/L", &ok);
    EXPECT_TRUE(ok);
}

TEST(PlayerSwitches, LaterParseKeepsMostButRewritesMmxDirectSoundAndRemap) {
    PlayerSettings s;
    std::string field = "/@ /R2 /L4 /X5";
    ASSERT_TRUE(ReadSwitches(field, s, nullptr));
    std::string line = "movie";
    ASSERT_TRUE(ReadSwitches(line, s, [] { return true; }));
    EXPECT_FALSE(s.noMMX);
    EXPECT_EQ(s.remapOption, 0);
    EXPECT_EQ(s.loopCount, 4u);
    EXPECT_EQ(s.windowX, 5);
    line = "/Z";
    ASSERT_TRUE(ReadSwitches(line, s, [] { return true; }));
    EXPECT_TRUE(s.useDirectSound);
}

TEST(PlayerSwitches, UsageMessage) {
    headless::Reset(headless::Recorded());
    SetPlatform(&HeadlessPlatform());
    std::string text = "/Px";
    PlayerSettings s;
    EXPECT_FALSE(ParseSwitches(text, s, nullptr));
    const auto& messages = headless::TheScreen().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, UsageCaption());
    EXPECT_EQ(UsageCaption().rfind("TavikPlay  V 3.2k - ", 0), 0u);
    EXPECT_FALSE(messages[0].stopIcon);
    // The box drops one leading blank of the text.
    EXPECT_EQ(messages[0].text, std::string(kUsageText).substr(1));
    EXPECT_EQ(messages[0].text.rfind(" SYNTAX: TavikPly <Tavik1 Tavik2...> [/Switches]\r\n", 0),
              0u);
    EXPECT_NE(messages[0].text.find("    /I# \t- Window style: 1=thin border, 2=thin, no caption, "
                                    "3=no caption, 4=nothing.\r\n"),
              std::string::npos);
    const std::string ending =
        "\r\n        \t    Add 128 for interlaced, 256 for smoothing, or 384 "
        "for no DirectDraw.";
    EXPECT_EQ(messages[0].text.substr(messages[0].text.size() - ending.size()), ending);
}

TEST(PlayerCommandLine, ArgumentsDashesQuotesAndLongOptions) {
    // An argument starting with '/' is a name when it holds a '.' or a second '/', or exists.
    const ProgramOptions o = ReadProgramArguments(
        {"--video=null", "-S", "my movie", "-f-40", "/L", "-", "x-y", "dir/a.tvk", "/abs/b",
         "/tmp/no/c", "/d.tvk", "--scale=3", "--pause", "--start=1:30", "--start-frame=7"},
        [](const std::string& name) { return name == "/abs/b"; });
    EXPECT_EQ(o.video, "null");
    EXPECT_EQ(o.commandLine,
              "/S \"my movie\" /f-40 /L - x-y dir\\a.tvk \\abs\\b \\tmp\\no\\c \\d.tvk");
    EXPECT_EQ(o.scale, "3");
    EXPECT_TRUE(o.pause);
    EXPECT_EQ(o.startTime, "1:30");
    EXPECT_EQ(o.startFrame, "7");
#ifndef _WIN32
    EXPECT_EQ(NativeName("\\abs\\b"), "/abs/b");
#endif
}

TEST(PlayerCommandLine, ControllingWindowSwitch) {
    std::string line = "a /#1234 /S";
    EXPECT_EQ(TakeControllingWindow(line), 1234u);
    EXPECT_EQ(line, "a  /S");
    line = "a /#";
    EXPECT_EQ(TakeControllingWindow(line), 0u);
    EXPECT_EQ(line, "a ");
}

TEST(PlayerSelfPlay, FieldNamesAndOffsets) {
    uint32_t offset = 0;
    EXPECT_TRUE(SelfPlayOffset(":94208", &offset));
    EXPECT_EQ(offset, 94208u);
    EXPECT_FALSE(SelfPlayOffset(":", &offset));
    EXPECT_FALSE(SelfPlayOffset(":12x", &offset));
    EXPECT_FALSE(SelfPlayOffset(":99999999999", &offset));
    EXPECT_FALSE(IsSelfPlayName("movie"));
    EXPECT_EQ(SelfPlayField(), "");  // the plain program does not play itself
}

// The markers and the field are in the program's bytes, once, where the tool finds them.
TEST(PlayerSelfPlay, BlockIsInTheProgramFile) {
    std::ifstream in("/proc/self/exe", std::ios::binary | std::ios::ate);
    if (!in) GTEST_SKIP() << "no /proc/self/exe";
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    int blocks = 0;
    for (size_t at = bytes.find("SELFPLAY"); at != std::string::npos;
         at = bytes.find("SELFPLAY", at + 1)) {
        if (bytes.compare(at + 8 + kSelfPlayFieldSize, 8, "TAVIKPL!") == 0) ++blocks;
    }
    EXPECT_EQ(blocks, 1);
}

}  // namespace
}  // namespace tavik
