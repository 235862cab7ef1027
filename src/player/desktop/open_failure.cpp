// Explaining open failures: a look at the file system after the engine refused a name.
#include "player/desktop/open_failure.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include "player/main_loop.h"

namespace tavik {

namespace {

const char kOpenError[] = "Error opening file: ";

// A file in the same folder whose name differs only in letter case, or "".
std::string OtherCase(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return "";
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        if (strcasecmp(entry->d_name, leaf.c_str()) == 0) {
            found = (slash == std::string::npos ? "" : folder) + entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

}  // namespace

std::string ExplainOpenFailure(const std::string& message) {
    const size_t at = message.find(kOpenError);
    if (at == std::string::npos || message.size() < at + sizeof kOpenError) return message;
    std::string name = message.substr(at + sizeof kOpenError - 1);
    if (!name.empty() && name.back() == '.') name.pop_back();
    if (name.empty() || name[0] == ':') return message;  // the program's own movie
    const std::string file = MovieFileName(name);
    struct stat info;
    if (stat(file.c_str(), &info) == 0) {
        const bool regular = S_ISREG(info.st_mode);
        return message + (regular ? "\r\nThe file is not a Tavik movie, or it is damaged."
                                  : "\r\nThat is not a file.");
    }
    std::string reason = "\r\nThere is no file " + file + ".";
    const std::string near = OtherCase(file);
    if (!near.empty()) reason += " Did you mean " + near + "?";
    return message + reason;
}

}  // namespace tavik
