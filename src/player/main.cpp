// tavikplay: the player program. It picks the display (an SDL window, or headless with
// --video=null) and the sound output from the backends of this build (platform/backends.h), hands
// the arguments to the player as its command line, and turns the player's messages into terminal
// output and an exit status:
//   0 played, 1 a movie or the display could not be opened, 2 a usage error.
// Every message is also printed: the playback summary to standard output, the others to
// standard error.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/backends.h"
#include "player/command_line.h"
#include "player/desktop/desktop_options.h"
#include "player/desktop/desktop_player.h"
#include "player/desktop/open_failure.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "player/switches.h"
#include "tavik/sound.h"
#include "tavik/system.h"

#ifdef __linux__
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace tavik;

constexpr int kStatusOpenFailed = 1;
constexpr int kStatusUsage = 2;

const char kLinuxHelp[] =
    "\nOn this system switches may also start with '-' (-P, -L3, -F-40, -T5), and names are\n"
    "taken as given (paths with '/' work). Long options:\n"
    "  --preload --loop[=N] --fps=N --fast --tracks=N --summary --sound-only\n"
    "  --keep-playing --never-skip    the switches /P /L /F /F /T /S /O /J /N\n"
    "  --video=sdl|null   show the movie in an SDL window (default) or nowhere (headless)\n"
    "  --audio=sdl|null   play the sound on an SDL device (default when there is one) or\n"
    "                     silently on the clock\n"
    "  --no-message-boxes print messages on the terminal only\n"
    "  --scale=N          show the window at N times the movie's size (default: the largest\n"
    "                     whole number that fits half the screen); the window can be resized\n"
    "  --resizable        a window whose frame can be dragged: here every window's can (the\n"
    "                     Windows player needs it asked for)\n"
    "  --pause            start paused\n"
    "  --start-frame=N    start at frame N (0 is the first)\n"
    "  --start=TIME       start at TIME: seconds (12.5) or MM:SS (1:30)\n"
    "  --help             this text\n"
    "Keys: space pause, Enter one frame on (paused), . next movie, Esc quit;\n"
    "  Left/Right 5 seconds back/on, Down/Up 60 seconds, Home the start, f or a double click\n"
    "  full screen, s save the frame as NAME-FRAME.png, 9/0 volume down/up, m mute.\n"
    "  A file dropped on the window plays next. Names starting with '/' are names when they\n"
    "  hold a '.' or a second '/', or exist.\n"
    "The SDL window shows the movie in the desktop's colours: exactly on a true-colour\n"
    "desktop, in 5-6-5 or 5-5-5 on a 16- or 15-bit one. TAVIK_SDL_SCREEN=565|555|888 picks\n"
    "the window's pixel format instead.\n";

#ifdef TAVIK_HAVE_SDL
const char* const kDisplays = "sdl or null";
#else
const char* const kDisplays = "null";
#endif

PlatformOps g_ops;  // the chosen backend with its messages (and the headless Yield) replaced
WindowOps g_windows;
const PlatformOps* g_inner = nullptr;  // the chosen backend itself
int g_status = 0;

std::string WithoutReturns(const char* text) {
    std::string shown = text != nullptr ? text : "";
    for (size_t at; (at = shown.find('\r')) != std::string::npos;) shown.erase(at, 1);
    return shown;
}

// The player's stop-sign messages are its failures; the usage message has its own caption.
void ProgramMessage(WindowRef owner, const char* message, const char* caption, bool stopIcon) {
    const std::string title = caption != nullptr ? caption : "";
    const std::string explained = ExplainOpenFailure(message != nullptr ? message : "");
    const char* text = explained.c_str();
    if (title == UsageCaption()) {
        g_status = kStatusUsage;
    } else if (stopIcon && g_status == 0) {
        g_status = kStatusOpenFailed;
    }
    std::FILE* out = title == "Tavik Summary" ? stdout : stderr;
    std::fprintf(out, "%s\n%s\n", title.c_str(), WithoutReturns(text).c_str());
    std::fflush(out);
    g_inner->windows->MessageBox(owner, text, caption, stopIcon);
}

// The player polls until the next frame is due. A poll that must go on waiting rests for half
// the time the frame is still expected to take (by the movie's frame time, counted from the
// last frame that became due), at least a millisecond: a handful of wake-ups per frame, none at
// all for a movie played as fast as it goes (-F).
MovieCalls g_movies;
constexpr uint32_t kLeastPauseMs = 1;
uint32_t g_lastDueMs = 0;

uint32_t NowMs() {
    return TavikGetSystem()->Milliseconds(TavikGetSystem()->Context);
}

uint32_t NotYetDueResting(TavikMovie* movie) {
    const uint32_t waiting = EngineMovieCalls().notYetDue(movie);
    const uint32_t now = NowMs();
    if (waiting == 0) {
        g_lastDueMs = now;
        return 0;
    }
    const uint32_t frameMs = movie->FrameTime / 100;  // 10-microsecond ticks
    const uint32_t elapsed = now - g_lastDueMs;
    const uint32_t left = frameMs > elapsed ? frameMs - elapsed : 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(left / 2, kLeastPauseMs)));
    return waiting;
}

// The headless screen's Yield (the player's wait while paused) returns at once.
void HeadlessYield() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kLeastPauseMs));
}

// The chosen backend with the program's messages and, for the headless screen, a resting wait.
void UsePlatform(const PlatformOps& ops) {
    g_inner = &ops;
    g_windows = *ops.windows;
    g_windows.MessageBox = ProgramMessage;
    if (std::strcmp(ops.name, "headless") == 0) g_windows.Yield = HeadlessYield;
    g_ops = ops;
    g_ops.windows = &g_windows;
    SetPlatform(&g_ops);
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "%s\n%s%s", UsageCaption().c_str(), WithoutReturns(kUsageText + 1).c_str(),
                 kLinuxHelp);
}

// A bad long option: one line that names it, and where to look.
int UsageError(const std::string& problem) {
    std::fprintf(stderr, "tavikplay: %s\nRun 'tavikplay --help' for the options.\n",
                 problem.c_str());
    return kStatusUsage;
}

// The player answers a switch it cannot read with its usage message; on the terminal the switch
// is named first. The switches are read here on a copy, only to find what is left over.
void NameBadSwitch(const std::string& commandLine) {
    std::string rest = commandLine;
    PlayerSettings ignored;
    if (ReadSwitches(rest, ignored, nullptr)) return;
    const size_t at = rest.find('/');
    size_t end = at;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    std::fprintf(stderr, "tavikplay: %s: not a switch the player knows\n",
                 rest.substr(at, end - at).c_str());
}

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

// The switches of the player's additions; false (with the status set) when one is malformed.
bool ReadDesktopOptions(const ProgramOptions& options, DesktopOptions& desktop) {
    desktop.start.paused = options.pause;
    const std::string bad =
        ReadDesktopValues(options.scale, options.startFrame, options.startTime, desktop);
    if (bad.empty()) return true;
    g_status = UsageError(bad);
    return false;
}

// Picks the display: false (with the status set) when the request cannot be met.
bool ChooseDisplay(const ProgramOptions& options) {
    const std::string wanted = options.video;
    BackendStart start;
    start.messageBoxes = options.messageBoxes;
    const DisplayChoice choice = PickDisplay(PlatformBackends(), wanted, start);
    if (choice.unknown) {
        g_status = UsageError("--video=" + wanted + ": takes " + kDisplays);
        return false;
    }
    if (choice.ops == nullptr) {  // the one asked for did not start (the last always does)
        std::fprintf(stderr, "tavikplay: no %s display: %s\n",
                     choice.backend != nullptr ? choice.backend->title : "", choice.error.c_str());
        g_status = kStatusOpenFailed;
        return false;
    }
    for (const std::string& reason : choice.passedOver) {
        std::fprintf(stderr, "tavikplay: no display (%s); playing %s\n", reason.c_str(),
                     choice.backend->title);
    }
    UsePlatform(*choice.ops);
    return true;
}

bool ChooseSound(const ProgramOptions& options) {
    const PlatformBackend* backend = PickSound(PlatformBackends(), options.audio);
    if (backend != nullptr) {
        backend->startSound();
        return true;
    }
    if (options.audio.empty()) return true;  // the default output, silent on the clock
    g_status = UsageError("--audio=" + options.audio + ": takes " + kDisplays);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ProgramOptions options = ReadProgramArguments(arguments, IsExistingPath);
    if (options.help) {
        PrintUsage(stdout);
        return 0;
    }
    if (!options.problem.empty()) return UsageError(options.problem);
    NameBadSwitch(options.commandLine);
    DesktopOptions desktopOptions;
    if (!ReadDesktopOptions(options, desktopOptions)) return g_status;
    if (!ChooseSound(options) || !ChooseDisplay(options)) return g_status;
    if (const DesktopOps* desktop = Platform().desktop; desktop && desktop->SetViewOptions) {
        desktop->SetViewOptions(
            ViewOptions{desktopOptions.scale, !NamesPlace(options.commandLine), true});
    }
    g_movies = EngineMovieCalls();
    g_movies.notYetDue = NotYetDueResting;
    SetMovies(&g_movies);

    PlayerRun run;
    run.commandLine = options.commandLine;
    run.programPath = ProgramPath(argc > 0 ? argv[0] : nullptr);
    run.useDirectSound = RequestDirectSound;
    DesktopPlayer desktop(desktopOptions.start, run.programPath);
    run.extras = &desktop;
    PlayerEntry(run);
    // A backend's sound output may have started it without its display.
    for (const PlatformBackend& backend : PlatformBackends()) {
        if (backend.stop != nullptr) backend.stop();
    }
    return g_status;
}
