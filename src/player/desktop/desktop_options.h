// The switches of the desktop player's additions, as both programs read them: the Linux program
// from its arguments (command_line.h), the Windows program out of its one command line.
#pragma once

#include <cstdint>
#include <string>

#include "player/desktop/desktop_player.h"

namespace tavik {

struct DesktopOptions {
    DesktopStart start;      // --pause, --start-frame=N, --start=TIME
    int32_t scale = 0;       // --scale=N; 0 when not given
    bool resizable = false;  // --resizable
    bool help = false;       // --help
};

// Checks the values of --scale, --start-frame and --start (each "" when not given) into
// `options`; "" when they are good, else the problem, naming the option.
std::string ReadDesktopValues(const std::string& scale, const std::string& startFrame,
                              const std::string& startTime, DesktopOptions& options);

// Takes the additions' options (--pause, --resizable, --help, --scale=N, --start-frame=N,
// --start=TIME) out of a command line of names and switches, leaving the rest as it was: a
// quoted name, or a word beginning with "--" that names no addition, is a movie name as it
// always was. "" when they are good, else the first problem.
std::string TakeDesktopOptions(std::string& commandLine, DesktopOptions& options);

// Whether /X or /Y places the window (a scaled window then keeps its corner there).
bool NamesPlace(const std::string& commandLine);

}  // namespace tavik
