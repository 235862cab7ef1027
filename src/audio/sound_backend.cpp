#include "audio/sound_backend.h"

#include "audio/direct_sound_backend.h"

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
    // Only Windows has DirectSound; without it nothing is installed and the default stays.
    if (const tavik::SoundBackend* table = tavik::LoadDirectSoundBackend(directSound)) {
        tavik::g_backend = *table;
        tavik::g_installed = true;
        tavik::g_isDirectSound = true;
        return 1;
    }
    tavik::g_directSoundObject = nullptr;
    return 0;
}
}
