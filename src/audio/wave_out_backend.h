// The waveOut output (Windows): each open track gets its own device, opened through the wave
// mapper in the track's PCM format, and two blocks of about a quarter of a second that the
// service fills from the track's ring and queues in turn. No device callback and no thread: the
// service polls the blocks' done flags, and the played position is estimated from the time the
// blocks were queued (wave_out_timing.h). This file and its .cpp are empty outside Windows.
#pragma once

#ifdef _WIN32

#include "audio/sound_track.h"

namespace tavik {

const SoundBackend& WaveOutBackend();

}  // namespace tavik

#endif
