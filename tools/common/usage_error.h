// How every tool reads and answers bad arguments: whole numbers within a range, and one line
// naming the argument and what is wrong with it, a pointer to the help, and exit status 2.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tavik::tools {

constexpr int kUsageStatus = 2;

// A whole decimal number from `min` to `max`, all of `text`.
inline bool ParseWholeNumber(const std::string& text, long long min, long long max,
                             long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= min && value <= max;
}

inline int UsageError(const char* program, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options.\n", program, problem.c_str(),
                 program);
    return kUsageStatus;
}

}  // namespace tavik::tools
