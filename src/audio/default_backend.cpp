// Which output UseWaveOut installs. The first candidate that is available on this machine wins:
// on Windows the waveOut output belongs at the head of the list, elsewhere a real device output
// (such as one over SDL) goes before the headless device, which is always available and keeps
// time without any sound hardware.
#include "audio/headless_backend.h"
#include "audio/sound_backend.h"
#include "audio/wave_out_backend.h"

namespace tavik {
namespace {

struct BackendCandidate {
    bool (*available)();
    const SoundBackend& (*table)();
};

bool Always() {
    return true;
}

const BackendCandidate kCandidates[] = {
#ifdef _WIN32
    {Always, WaveOutBackend},
#endif
    {Always, HeadlessBackend},
};

BackendCandidate g_registered = {nullptr, nullptr};

}  // namespace

void RegisterDefaultSoundBackend(bool (*available)(), const SoundBackend& (*table)()) {
    g_registered = {available, table};
}

const SoundBackend& PlatformDefaultBackend() {
    if (g_registered.available != nullptr && g_registered.available()) return g_registered.table();
    for (const BackendCandidate& candidate : kCandidates)
        if (candidate.available()) return candidate.table();
    return HeadlessBackend();
}

}  // namespace tavik
