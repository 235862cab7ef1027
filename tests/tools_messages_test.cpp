// What every program says about bad arguments: one line naming the argument and the problem,
// then where to find the options; and the failures a new user meets first.
#include "tools_runner.h"

namespace tavik {
namespace {

class ToolMessages : public test::ToolRunner {};

TEST_F(ToolMessages, NameTheArgumentAndTheProblem) {
    const std::string player = "../src/player/tavikplay", selfplay = "../src/player/tavik-selfplay";
    const std::string nowhere = Path("nodir/sub/o.tvk");
    struct Case {
        std::string program, arguments, line;
        int status = 2;
    };
    const Case cases[] = {
        {"tavik-encode", "--bogus o.tvk a.png", "--bogus: unknown option"},
        {"tavik-encode", "--audio 7:x.wav o.tvk a.png",
         "--audio 7:x.wav: the track is a number from 0 to 6"},
        {"tavik-encode", "--quality 0 o.tvk a.png", "--quality 0: takes a number from 1 to 100"},
        {"tavik-encode", "--fixed-entries 1-2 o.tvk a.png", "--fixed-entries needs --palette-from"},
        {"tavik-encode", "o.tvk", "no pictures are given (PNG files after o.tvk, or --y4m FILE)"},
        {"tavik-encode", "--fps", "--fps: needs a value"},
        {"tavik-info", "--bogus m.tvk", "--bogus: unknown option"},
        {"tavik-info", "a.tvk b.tvk", "b.tvk: one movie at a time"},
        {"tavik-dump", "m.tvk", "--out DIR or --y4m FILE is needed"},
        {"tavik-dump", "m.tvk --out d --format gif", "--format gif: takes ppm, png or rgb-png"},
        {"tavik-thumbnail", "m.tvk o.png", "takes INPUT OUTPUT SIZE, given 2 argument(s)"},
        {"tavik-thumbnail", "m.tvk o.png 0", "SIZE 0: takes a number of pixels from 1 to 4096"},
        {selfplay, "--bogus p m o", "--bogus: unknown option"},
        {player, "--bogus m.tvk", "--bogus: unknown option"},
        {player, "--scale=0 m.tvk", "--scale=0: takes a whole number from 1 to 16"},
        {player, "--loop=x m.tvk", "--loop=x: takes the number of times to play"},
        {player, "--preload=1 m.tvk", "--preload=1: takes no value"},
        {player, "--start=soon m.tvk", "--start=soon: takes seconds (12.5) or MM:SS (1:30)"},
        // The player's own switches keep their usage message, after a line naming the switch.
        {player, "--video=null --audio=null -Qx m.tvk", "/Qx: not a switch the player knows"},
        {"tavik-encode", "--fps 10 " + nowhere + " a.png",
         nowhere + ": cannot write: the folder " + Path("nodir/sub") + " does not exist", 1},
    };
    for (const Case& c : cases) {
        if (!std::ifstream(tools_ + c.program)) continue;  // a build without the player
        EXPECT_EQ(Run(c.program, c.arguments + " >/dev/null"), c.status) << c.arguments;
        const std::string name = c.program.substr(c.program.rfind('/') + 1);
        const std::string pointer = "Run '" + name + " --help' for the options.\n";
        const std::string first = name + ": " + c.line + "\n";
        EXPECT_EQ(stderr_.substr(0, first.size()), first) << stderr_;
        if (c.status == 2 && c.arguments.find("-Qx") == std::string::npos) {
            EXPECT_EQ(stderr_, first + pointer);
        }
    }
}

}  // namespace
}  // namespace tavik
