// Turning the program's arguments into the player's command line.
#pragma once

#include <string>
#include <vector>

namespace tavik {

struct ProgramOptions {
    std::string video;        // --video=NAME: the platform backend ("null" is headless)
    std::string commandLine;  // names and switches, joined
};

// Long options ("--name=value") are taken out; the other arguments are joined with blanks
// (quoted when they hold a blank). An argument starting with '-' followed by a switch letter
// is read as the same switch with '/'.
ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments);

}  // namespace tavik
