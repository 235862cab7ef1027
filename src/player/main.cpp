// tavikplay: the player program on this machine's platform backends.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "player/command_line.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "tavik/sound.h"

#ifdef __linux__
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The program's own file, which holds a self-play movie after its code.
std::string ProgramPath(const char* argument0) {
#ifdef __linux__
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) return std::string(path, static_cast<size_t>(length));
#endif
    return argument0 != nullptr ? argument0 : "";
}

bool IsExistingPath(const std::string& name) {
#ifdef __linux__
    struct stat info;
    return stat(name.c_str(), &info) == 0;
#else
    (void)name;
    return false;
#endif
}

bool RequestDirectSound() {
    return UseDirectSound(nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tavik;
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ProgramOptions options = ReadProgramArguments(arguments, IsExistingPath);

    // Only the headless backend is built so far; it is also what --video=null asks for.
    if (!options.video.empty() && options.video != "null") {
        std::fprintf(stderr, "tavikplay: no video backend \"%s\" in this build\n",
                     options.video.c_str());
        return 2;
    }
    headless::Config config;
    config.echoMessages = true;
    headless::Reset(config);
    SetPlatform(&HeadlessPlatform());
    SetMovies(&EngineMovieCalls());

    PlayerRun run;
    run.commandLine = options.commandLine;
    run.programPath = ProgramPath(argc > 0 ? argv[0] : nullptr);
    run.useDirectSound = RequestDirectSound;
    return PlayerEntry(run);
}
