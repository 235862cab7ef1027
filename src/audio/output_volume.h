// The volume of what the built-in outputs play (TavikSetOutputVolume in tavik/sound.h): each
// output scales the samples it takes from a track's ring on their way to its device, so a
// change is heard as soon as the device has played what it already holds.
#pragma once

#include <cstdint>

#include "audio/sound_track.h"

namespace tavik {

// The level in percent, 0 to 100 (100: the samples stay exactly as they are).
uint32_t OutputVolume();
void SetOutputVolume(uint32_t percent);

// Scales `count` bytes of the track's samples in place, toward silence: 8-bit samples around
// 128, 16-bit ones (little-endian, starting on a whole sample) around 0.
void ApplyOutputVolume(const TavikSoundTrack& track, uint8_t* samples, uint32_t count);

}  // namespace tavik
