// The program's arguments as the player's command line.
#include "player/command_line.h"

namespace tavik {

namespace {

bool IsSwitchStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '@' || c == '#';
}

// Long forms of the common switches: the switch written without a value, the one written
// before "=VALUE" (null when the form takes none), whether the value may be negative, and what
// the value is, for the message when it is not a number.
struct LongSwitch {
    const char* name;
    const char* plain;
    const char* valued;
    bool negative;
    const char* value;
};
constexpr LongSwitch kLongSwitches[] = {
    {"preload", "/P", nullptr, false, nullptr},
    {"loop", "/L", "/L", false, "the number of times to play"},
    {"fps", nullptr, "/F", true,
     "frames per second (--fps=15), or milliseconds per frame as a negative number (--fps=-40)"},
    {"fast", "/F", nullptr, false, nullptr},
    {"tracks", nullptr, "/T", false,
     "the sound tracks to play, one bit each (--tracks=5: 0 and 2)"},
    {"summary", "/S", nullptr, false, nullptr},
    {"sound-only", "/O", nullptr, false, nullptr},
    {"keep-playing", "/J", nullptr, false, nullptr},
    {"never-skip", "/N", nullptr, false, nullptr},
};

bool IsWholeNumber(const std::string& text, bool negative) {
    const size_t digits = negative && !text.empty() && text[0] == '-' ? 1 : 0;
    return text.size() > digits && text.size() <= digits + 10 &&
           text.find_first_not_of("0123456789", digits) == std::string::npos;
}

// The switch a long option stands for, "" when it is none of them, or "" with `problem` set
// when its value is missing, not a number or not wanted.
std::string LongSwitchText(const std::string& option, std::string& problem) {
    const size_t equals = option.find('=');
    const std::string name = option.substr(2, equals == std::string::npos ? equals : equals - 2);
    for (const LongSwitch& s : kLongSwitches) {
        if (name != s.name) continue;
        if (equals == std::string::npos) {
            if (s.plain == nullptr) problem = option + ": needs a value, " + s.value;
            return s.plain != nullptr ? s.plain : "";
        }
        const std::string value = option.substr(equals + 1);
        if (s.valued == nullptr) {
            problem = option + ": takes no value";
        } else if (!IsWholeNumber(value, s.negative)) {
            problem = option + ": takes " + s.value;
        } else {
            return s.valued + value;
        }
        return "";
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
            if (argument == "--resizable") continue;  // every window here can be resized
            if (TakeValue(argument, "--scale=", options.scale) ||
                TakeValue(argument, "--start-frame=", options.startFrame) ||
                TakeValue(argument, "--start=", options.startTime)) {
                continue;
            }
            std::string problem;
            std::string text = LongSwitchText(argument, problem);
            if (text.empty()) {
                if (options.problem.empty())
                    options.problem = problem.empty() ? argument + ": unknown option" : problem;
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
