// The process-wide side of the sound tracks: the open track count, the audio tree area and the
// sizes a track is opened with.
#pragma once

#include <cstdint>

#include "audio/sound_track.h"

namespace tavik {

// The audio tree area while any track is open (else null).
uint8_t* AudioTreeArea();

// The sizes of a track's timing counters and ring.
struct TrackSizes {
    uint32_t frameBytes;  // bytes of sound per frame, times 1024
    uint32_t skipMark;    // half a second, times 1024
    uint32_t bufSize;     // two frames of sound plus one second, a multiple of 4096, >= 8192
};
// False when the counters would not fit 32 bits (see OpenSoundTrack).
bool TrackSizesFor(uint32_t bytesPerSecond, uint32_t frameTime, TrackSizes* sizes);

// The timing track's record, or null.
TavikSoundTrack* TimingRecord(const TavikMovie* movie);

}  // namespace tavik
