// tavikplay.exe: the Windows program's entry. Started by a controlling program (/#), the player
// is exactly the original; otherwise it gets the desktop player's additions (seeking,
// screenshots, volume, full screen, the overlay, dropped files, scaling) on the keys and the
// switches the original leaves unused.
#include <cstdio>
#include <optional>
#include <string>

#include "audio/direct_sound_backend.h"
#include "platform/backends.h"
#include "platform/win32/windows_api.h"
#include "player/desktop/desktop_options.h"
#include "player/desktop/desktop_player.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "player/switches.h"
#include "tavik/sound.h"

namespace {

using namespace tavik;

// The command line is kept in 256 bytes; longer text is cut there.
constexpr size_t kCommandLineSize = 256;
constexpr int kStatusUsage = 2;

const char kAdditionsHelp[] =
    "\r\n\r\n  Additions (not while a controlling program runs the player):\r\n"
    "    --scale=N       \t- Show the window at N times its size (1 to 16).\r\n"
    "    --resizable     \t- A window frame that can be dragged; the picture fits it.\r\n"
    "    --pause         \t- Start paused.\r\n"
    "    --start-frame=N \t- Start at frame N (0 is the first).\r\n"
    "    --start=TIME    \t- Start at TIME: seconds (12.5) or MM:SS (1:30).\r\n"
    "  Keys: Left/Right 5 seconds back/on, Down/Up 60 seconds, Home the start,\r\n"
    "    f or a double click full screen, s save the frame as NAME-FRAME.png,\r\n"
    "    9/0 volume down/up, m mute. A file dropped on the window plays next.";

bool RequestDirectSound() {
    return UseDirectSound(nullptr) != 0;
}

void TellSoundWindow(WindowRef window) {
    SetSoundWindow(reinterpret_cast<void*>(window));
}

// The program's own file, which holds the self-play movie. The module's path rather than the
// command line's first item: it names the file even when the program was started without its
// extension or by a relative path from another folder.
std::string ProgramPath() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    return std::string(path, length);
}

// A message box, and the same text on standard error or output where there is one.
void Tell(const std::string& caption, const std::string& text, bool stopIcon) {
    std::string printed = text;
    for (size_t at; (at = printed.find('\r')) != std::string::npos;) printed.erase(at, 1);
    std::fprintf(stopIcon ? stderr : stdout, "%s\n%s\n", caption.c_str(), printed.c_str());
    std::fflush(stopIcon ? stderr : stdout);
    Platform().windows->MessageBox(nullptr, text.c_str(), caption.c_str(), stopIcon);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    win32::SetInstance(instance);
    SetPlatform(PickDisplay(PlatformBackends(), "", BackendStart{}).ops);
    SetMovies(&EngineMovieCalls());

    PlayerRun run;
    run.commandLine = commandLine != nullptr ? commandLine : "";
    run.programPath = ProgramPath();
    std::optional<DesktopPlayer> desktop;
    if (!HasControllingWindow(run.commandLine)) {
        DesktopOptions options;
        const std::string problem = TakeDesktopOptions(run.commandLine, options);
        if (options.help) {
            Tell(UsageCaption(), std::string(kUsageText) + kAdditionsHelp, false);
            return 0;
        }
        if (!problem.empty()) {
            Tell(kAppTitle, problem + "\r\nRun 'tavikplay --help' for the options.", true);
            return kStatusUsage;
        }
        desktop.emplace(options.start, run.programPath);
        run.extras = &*desktop;
        // At the size and with the frame the original gives it, unless a switch asks otherwise.
        Platform().desktop->SetViewOptions(ViewOptions{options.scale > 0 ? options.scale : 1,
                                                       !NamesPlace(run.commandLine),
                                                       options.resizable});
    }
    if (run.commandLine.size() >= kCommandLineSize) run.commandLine.resize(kCommandLineSize - 1);
    run.useDirectSound = RequestDirectSound;
    run.setSoundWindow = TellSoundWindow;
    return PlayerEntry(run);
}
