// The program's arguments as the player's command line.
#include "player/command_line.h"

namespace tavik {

namespace {

bool IsSwitchStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' || c == '#';
}

}  // namespace

ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments,
                                    bool (*isPath)(const std::string&)) {
    ProgramOptions options;
    for (const std::string& argument : arguments) {
        if (argument.rfind("--", 0) == 0) {
            // Room for more long options; unknown ones are left for the usage message.
            if (argument.rfind("--video=", 0) == 0) {
                options.video = argument.substr(8);
                continue;
            }
        }
        std::string item = argument;
        const bool isSwitch = (item.size() >= 2 && item[0] == '-' && IsSwitchStart(item[1])) ||
                              (item.size() >= 1 && item[0] == '/');
        if (isSwitch && !(isPath != nullptr && item[0] == '/' && isPath(item))) {
            item[0] = '/';
        } else {
            for (char& c : item) {
                if (c == '/') c = '\\';
            }
        }
        if (item.find(' ') != std::string::npos) item = "\"" + item + "\"";
        if (!options.commandLine.empty()) options.commandLine += ' ';
        options.commandLine += item;
    }
    return options;
}

}  // namespace tavik

namespace tavik {

std::string NativeName(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string native = name;
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
#endif
}

}  // namespace tavik
