// tavikplay.exe: the Windows program's entry.
#include <string>

#include "audio/direct_sound_backend.h"
#include "platform/backends.h"
#include "platform/win32/windows_api.h"
#include "player/main_loop.h"
#include "player/movie_link.h"
#include "tavik/sound.h"

namespace {

// The command line is kept in 256 bytes; longer text is cut there.
constexpr size_t kCommandLineSize = 256;

bool RequestDirectSound() {
    return UseDirectSound(nullptr) != 0;
}

void TellSoundWindow(tavik::WindowRef window) {
    tavik::SetSoundWindow(reinterpret_cast<void*>(window));
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    using namespace tavik;
    win32::SetInstance(instance);
    SetPlatform(PickDisplay(PlatformBackends(), "", BackendStart{}).ops);
    SetMovies(&EngineMovieCalls());

    PlayerRun run;
    run.commandLine = commandLine != nullptr ? commandLine : "";
    if (run.commandLine.size() >= kCommandLineSize) run.commandLine.resize(kCommandLineSize - 1);
    run.programPath = ProgramPath();
    run.useDirectSound = RequestDirectSound;
    run.setSoundWindow = TellSoundWindow;
    return PlayerEntry(run);
}
