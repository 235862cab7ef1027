#include "audio/sound_backend.h"

namespace tavik {
namespace {

// All slots are empty until the first choice fills them as a whole.
SoundBackend g_backend{};
bool g_installed = false;
bool g_isDirectSound = false;
void* g_directSoundObject = nullptr;  // the caller's IDirectSound, kept for the output

}  // namespace

const SoundBackend* InstalledSoundBackend() {
    return g_installed ? &g_backend : nullptr;
}

void ReplaceSoundBackendForTest(const SoundBackend* table) {
    g_installed = table != nullptr;
    g_backend = table ? *table : SoundBackend{};
    g_isDirectSound = false;
    g_directSoundObject = nullptr;
}

}  // namespace tavik

extern "C" {

uint32_t UseWaveOut(void) {
    if (tavik::g_installed) return 0;
    tavik::g_backend = tavik::PlatformDefaultBackend();
    tavik::g_installed = true;
    return 1;
}

uint32_t UseDirectSound(void* directSound) {
    tavik::g_directSoundObject = directSound;
    if (tavik::g_installed) return tavik::g_isDirectSound ? 1 : 0;
    // The DirectSound output is not part of this build: nothing is installed and the default
    // stays available. On Windows its table goes here once the library has been loaded.
    tavik::g_directSoundObject = nullptr;
    return 0;
}
}
