// Turning the program's arguments into the player's command line.
#pragma once

#include <string>
#include <vector>

namespace tavik {

struct ProgramOptions {
    std::string video;         // --video=NAME: the platform backend ("null" is headless)
    std::string audio;         // --audio=NAME: the sound output ("null" is the headless device)
    bool messageBoxes = true;  // --no-message-boxes: messages go to the terminal only
    bool help = false;         // --help
    std::string scale;         // --scale=N: the window's scale
    bool pause = false;        // --pause: start paused
    std::string startFrame;    // --start-frame=N
    std::string startTime;     // --start=TIME
    std::string problem;       // the first long option not understood: "OPTION: why"
    std::string commandLine;   // names and switches, joined
};

// Long options ("--name=value") are taken out; the common switches have long forms
// (--preload, --loop[=N], --fps=N, --fast, --tracks=N, --summary, --sound-only, --keep-playing,
// --never-skip), written into the command line as their switches; the other arguments are joined
// with blanks (quoted when they hold a blank). An argument starting with '-' followed by a switch
// letter is read as the same switch with '/'.
//
// Switches start with '/', which is also the path separator here. An argument starting with '/'
// is a name when it holds a '.' or a second '/', or when `isPath` says it exists; otherwise it
// is a switch. In a name every '/' is written as '\', and NativeName turns it back before the
// file is opened or named in a message.
ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments,
                                    bool (*isPath)(const std::string&) = nullptr);

// A name from the command line as this system spells it.
std::string NativeName(const std::string& name);

}  // namespace tavik
