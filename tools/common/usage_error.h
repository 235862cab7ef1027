// How every tool answers bad arguments: one line naming the argument and what is wrong with it,
// a pointer to the help, and exit status 2.
#pragma once

#include <cstdio>
#include <string>

namespace tavik::tools {

constexpr int kUsageStatus = 2;

inline int UsageError(const char* program, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\nRun '%s --help' for the options.\n", program, problem.c_str(),
                 program);
    return kUsageStatus;
}

}  // namespace tavik::tools
