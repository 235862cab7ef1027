// The command line: names, switches in their order, the usage cases, the self-play field.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
    EXPECT_EQ(
        std::tuple(s.windowX, s.windowY, s.readSpeed, s.extraBuffer, s.loopCount, s.frameRate),
        std::tuple(10, -20, 5000, 65536u, 3u, 10));
    EXPECT_EQ(std::tuple(s.disabledControls, s.remapOption, s.stretchWidth, s.stretchHeight,
                         s.displayResolution),
              std::tuple(7u, 1, 640, 400, 2));
    EXPECT_TRUE(s.noMMX && s.showSummary && s.differencesOnly && s.frameInCaption);
    EXPECT_TRUE(s.keepPlayingWithoutFocus);
    EXPECT_FALSE(s.useDirectSound);  // no DirectSound to be had
    EXPECT_EQ(s.openFlags,
              uint32_t{TavikSimulateSpeed | TavikPreload | TavikNoSkip | TavikFillRing |
                       TavikTrack0 | TavikTrack2 | TavikDouble | TavikRateOverride});
    // /V260 = 256 (smoothing) + 4 (DIB section); /I2 thin border without caption.
    EXPECT_EQ(s.displayFlags, 0x100u | 0x1000u | 0xC200u | 0x40u | 25u);
}

TEST(PlayerSwitches, LoopsFrameRatesTracksScalingAndDisplayFlags) {
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

TEST(PlayerCommandLine, ArgumentsDashesQuotesLongOptionsAndControllingWindow) {
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

}  // namespace
}  // namespace tavik
