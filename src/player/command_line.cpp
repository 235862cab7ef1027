// The program's arguments as the player's command line.
#include "player/command_line.h"

namespace tavik {

namespace {

bool IsSwitchStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' || c == '#';
}

// Long forms of the common switches: the switch written without a value, and the one written
// before "=VALUE" (null when the form takes none).
struct LongSwitch {
    const char* name;
    const char* plain;
    const char* valued;
};
constexpr LongSwitch kLongSwitches[] = {
    {"preload", "/P", nullptr},    {"loop", "/L", "/L"},
    {"fps", nullptr, "/F"},        {"fast", "/F", nullptr},
    {"tracks", nullptr, "/T"},     {"summary", "/S", nullptr},
    {"sound-only", "/O", nullptr}, {"keep-playing", "/J", nullptr},
    {"never-skip", "/N", nullptr},
};

// The switch a long option stands for, or "" when it is none of them.
std::string LongSwitchText(const std::string& option) {
    const size_t equals = option.find('=');
    const std::string name = option.substr(2, equals == std::string::npos ? equals : equals - 2);
    for (const LongSwitch& s : kLongSwitches) {
        if (name != s.name) continue;
        if (equals == std::string::npos) return s.plain != nullptr ? s.plain : "";
        // An empty or odd value stays in the switch, where the switch reader refuses it.
        return s.valued != nullptr ? s.valued + option.substr(equals + 1) : "";
    }
    return "";
}

// "--name=VALUE" with `prefix` "--name=": the value into `value`.
bool TakeValue(const std::string& argument, const char* prefix, std::string& value) {
    if (argument.rfind(prefix, 0) != 0) return false;
    value = argument.substr(std::char_traits<char>::length(prefix));
    return true;
}

}  // namespace

ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments,
                                    bool (*isPath)(const std::string&)) {
    ProgramOptions options;
    for (const std::string& argument : arguments) {
        if (argument.rfind("--", 0) == 0) {
            if (argument.rfind("--video=", 0) == 0) {
                options.video = argument.substr(8);
                continue;
            }
            if (argument.rfind("--audio=", 0) == 0) {
                options.audio = argument.substr(8);
                continue;
            }
            if (argument == "--no-message-boxes") {
                options.messageBoxes = false;
                continue;
            }
            if (argument == "--help") {
                options.help = true;
                continue;
            }
            if (argument == "--pause") {
                options.pause = true;
                continue;
            }
            if (TakeValue(argument, "--scale=", options.scale) ||
                TakeValue(argument, "--start-frame=", options.startFrame) ||
                TakeValue(argument, "--start=", options.startTime)) {
                continue;
            }
            std::string text = LongSwitchText(argument);
            if (text.empty()) {
                if (options.unknown.empty()) options.unknown = argument;
                continue;
            }
            if (!options.commandLine.empty()) options.commandLine += ' ';
            options.commandLine += text;
            continue;
        }
        std::string item = argument;
        const bool looksLikePath =
            item.find('.') != std::string::npos || item.find('/', 1) != std::string::npos;
        const bool isSwitch = (item.size() >= 2 && item[0] == '-' && IsSwitchStart(item[1])) ||
                              (item.size() >= 1 && item[0] == '/' && !looksLikePath);
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
