// The headless sound output: a simulated device for machines without sound hardware, for tests
// and for tools. It plays each track at the track's byte rate on the engine's millisecond clock,
// taking sound from the ring in two blocks of about a quarter of a second, and can record what it
// plays to a WAVE file (HeadlessSoundCapture in tavik/sound.h).
#pragma once

#include <cstdint>

#include "audio/sound_track.h"

namespace tavik {

const SoundBackend& HeadlessBackend();

// Bytes of one device block: a quarter of a second, rounded up to a multiple of 4096.
uint32_t HeadlessBlockSize(uint32_t bytesPerSecond);

// Blocks the track's device holds that have not finished playing (0 to 2).
uint32_t HeadlessQueuedBlocks(const TavikSoundTrack* track);

}  // namespace tavik
