// Why a file could not be created or written, in words for a message.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

namespace tavik::tools {

// `error` is errno as the failing call left it; a missing folder is named as such.
inline std::string WhyNotWritten(const std::string& path, int error) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ignored;
    if (!folder.empty() && !fs::exists(folder, ignored))
        return "the folder " + folder.string() + " does not exist";
    if (!folder.empty() && !fs::is_directory(folder, ignored))
        return folder.string() + " is not a folder";
    return error != 0 ? std::strerror(error) : "the file cannot be written";
}

}  // namespace tavik::tools
