// Reading the additions' switches.
#include "player/desktop/desktop_options.h"

#include "player/switches.h"

namespace tavik {

namespace {

constexpr int64_t kMostScale = 16;
constexpr int64_t kLastFrame = 0x7FFFFFFF;

// A whole number of at most `limit`, or -1.
int64_t WholeNumber(const std::string& text, int64_t limit) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return -1;
    }
    const int64_t value = std::stoll(text);
    return value <= limit ? value : -1;
}

}  // namespace

std::string ReadDesktopValues(const std::string& scale, const std::string& startFrame,
                              const std::string& startTime, DesktopOptions& options) {
    if (!scale.empty() &&
        (options.scale = static_cast<int32_t>(WholeNumber(scale, kMostScale))) < 1)
        return "--scale=" + scale + ": takes a whole number from 1 to 16";
    if (!startFrame.empty() && (options.start.frame = WholeNumber(startFrame, kLastFrame)) < 0)
        return "--start-frame=" + startFrame + ": takes a frame number (0 is the first)";
    if (!startTime.empty() && (options.start.timeMs = ParseStartTime(startTime)) < 0)
        return "--start=" + startTime + ": takes seconds (12.5) or MM:SS (1:30)";
    return "";
}

std::string TakeDesktopOptions(std::string& commandLine, DesktopOptions& options) {
    std::string scale, startFrame, startTime, problem;
    std::string kept;
    size_t at = 0;
    while (at < commandLine.size()) {
        // A word: blanks, then everything up to the next blank (a quoted part in one piece).
        size_t begin = at;
        while (begin < commandLine.size() && IsBlank(commandLine[begin])) ++begin;
        size_t end = begin;
        bool quoted = false;
        while (end < commandLine.size() && (quoted || !IsBlank(commandLine[end]))) {
            if (commandLine[end] == '"') quoted = !quoted;
            ++end;
        }
        const std::string word = commandLine.substr(begin, end - begin);
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : word.substr(equals + 1);
        bool taken = true;
        if (name == "--pause" || name == "--resizable" || name == "--help") {
            if (equals != std::string::npos && problem.empty()) problem = word + ": takes no value";
            options.start.paused |= name == "--pause";
            options.resizable |= name == "--resizable";
            options.help |= name == "--help";
        } else if (name == "--scale" || name == "--start-frame" || name == "--start") {
            if (equals == std::string::npos && problem.empty()) problem = word + ": needs a value";
            (name == "--scale" ? scale : name == "--start" ? startTime : startFrame) = value;
        } else {
            taken = false;
        }
        if (!taken) kept += commandLine.substr(at, end - at);
        at = end;
    }
    commandLine = kept;
    const std::string bad = ReadDesktopValues(scale, startFrame, startTime, options);
    return problem.empty() ? bad : problem;
}

bool NamesPlace(const std::string& commandLine) {
    for (size_t at = 0; (at = commandLine.find('/', at)) != std::string::npos; ++at) {
        if (at + 2 >= commandLine.size()) break;
        const char letter = static_cast<char>(commandLine[at + 1] | 0x20);
        const char next = commandLine[at + 2];
        if ((letter == 'x' || letter == 'y') && ((next >= '0' && next <= '9') || next == '-')) {
            return true;
        }
    }
    return false;
}

}  // namespace tavik
