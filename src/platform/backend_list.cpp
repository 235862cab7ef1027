// The backends of this build, most wanted first: the Windows one where it is built, then SDL
// where it is linked, then the headless screen, which always starts (its sound is the engine's
// own silent output that keeps time).
#include "platform/backends.h"
#include "platform/headless/headless_platform.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#endif
#ifdef TAVIK_HAVE_SDL
#include "platform/sdl/sdl_platform.h"
#endif

namespace tavik {

namespace {

bool Always() {
    return true;
}

#ifdef _WIN32
const PlatformOps* CreateWin32(const BackendStart&, std::string*) {
    return &Win32Platform();
}
#endif

#ifdef TAVIK_HAVE_SDL
const PlatformOps* CreateSdl(const BackendStart& start, std::string* error) {
    if (!StartSdlVideo(error)) return nullptr;
    ShowSdlMessageBoxes(start.messageBoxes);
    return &SdlPlatform();
}
#endif

const PlatformOps* CreateHeadless(const BackendStart&, std::string*) {
    headless::Reset(headless::Config{});
    return &HeadlessPlatform();
}

void NoSound() {}  // the default output: silent, on the clock

const PlatformBackend kBackends[] = {
#ifdef _WIN32
    {"win32", "Windows", Always, CreateWin32, nullptr, nullptr},
#endif
#ifdef TAVIK_HAVE_SDL
    {"sdl", "SDL", Always, CreateSdl, RegisterSdlSound, StopSdl},
#endif
    {"null", "headless", Always, CreateHeadless, NoSound, nullptr},
};

}  // namespace

std::span<const PlatformBackend> PlatformBackends() {
    return kBackends;
}

}  // namespace tavik
