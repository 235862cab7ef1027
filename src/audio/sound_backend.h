// The process-wide sound backend: the table of eight operations, filled once.
#pragma once

#include "audio/sound_track.h"
#include "tavik/sound.h"

namespace tavik {

// The installed table, or null while no backend has been chosen.
const SoundBackend* InstalledSoundBackend();

// The table UseWaveOut installs on this platform.
const SoundBackend& PlatformDefaultBackend();

// Puts an output that lives outside the engine (one over a device library, which libtavik
// itself does not link) ahead of the built-in candidates of PlatformDefaultBackend; it is chosen
// when `available` says yes at the time UseWaveOut decides.
void RegisterDefaultSoundBackend(bool (*available)(), const SoundBackend& (*table)());

// Tests only: replaces whatever is installed by `table` (copied), or empties the slots for null,
// so that each test starts from a known choice.
void ReplaceSoundBackendForTest(const SoundBackend* table);

}  // namespace tavik
