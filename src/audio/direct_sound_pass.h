// The DirectSound output's per-track bookkeeping: how a service pass refills a track's looping
// buffer from its sound ring, when it writes trailing silence and stops the buffer, how the
// played position is worked out, and the volume and pan scales. The buffer itself is reached
// through DsBufferCalls, so that this logic runs (and is tested) without DirectSound.
#pragma once

#include <cstdint>

#include "audio/sound_track.h"

namespace tavik {

// The buffer's size: half a second, rounded up to a multiple of 4096.
uint32_t DirectSoundBufferSize(uint32_t bytesPerSecond);

// A track's state in the DirectSound output (offsets are inside the track's buffer).
struct DsTrackState {
    uint32_t DsSize = 0;
    uint32_t DsWriteOffset = 0;  // where the next write goes
    uint32_t DsStopped = 1;      // 1 while the buffer is not playing
    uint32_t DsWritten = 0;      // bytes of sound written since the last reset
    uint32_t DsFree = 0;         // bytes of the buffer holding no unplayed sound
    uint32_t DsLastPlay = 0;     // the play cursor seen by the previous pass
    int32_t DsDataEnd = -1;      // end of the sound before trailing silence; -1: none written
    uint32_t DsSilenceEnd = 0;   // end of that silence
    uint32_t DsLastPos = 0;
    uint32_t DsLastPosTime = 0;
    uint32_t DsMaxPos = 0;
};

// A locked stretch of the buffer: one part, or two when it wraps past the buffer's end.
struct DsLockedParts {
    uint8_t* first = nullptr;
    uint32_t firstSize = 0;
    uint8_t* second = nullptr;
    uint32_t secondSize = 0;
};

// The buffer's operations a pass needs.
class DsBufferCalls {
  public:
    virtual ~DsBufferCalls() = default;
    // The play cursor; false when it cannot be read.
    virtual bool PlayCursor(uint32_t* cursor) = 0;
    virtual bool Lock(uint32_t offset, uint32_t bytes, DsLockedParts* parts) = 0;
    virtual void Unlock(const DsLockedParts& parts) = 0;
    // Stops the buffer and puts its play position back to 0.
    virtual void StopAndRewind() = 0;
    // Starts the buffer playing, looping, from its current position.
    virtual void Play() = 0;
};

// One pass over one track: takes what has played, refills the buffer from the ring (lowering
// the ring's BufUsed), writes trailing silence when the ring has run dry, stops the buffer when
// it has played everything (setting the track's Underrun) and starts it when it has sound.
void DirectSoundTrackPass(TavikSoundTrack& track, DsTrackState& state, DsBufferCalls& buffer);

// Bytes of the track played at `now`: written minus still unplayed, moved on by the clock
// while no pass has moved it, never beyond what was written, and never going back.
uint32_t DirectSoundPlayed(DsTrackState& state, bool hasBuffer, uint32_t now,
                           uint32_t bytesPerSecond);

// Restarts the counts for a rewind to the movie's start (the buffer is stopped by the caller).
void DirectSoundResetState(DsTrackState& state);

// Attenuations in hundredths of a decibel: volume 0 to 32768 (full), pan 0 (left) to 65535.
int32_t DirectSoundVolumeValue(int32_t volume);
int32_t DirectSoundPanValue(int32_t pan);

}  // namespace tavik
