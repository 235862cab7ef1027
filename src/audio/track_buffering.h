// The per-track steps of sound buffering: putting a frame's sound into a track's ring, the timing
// counters, and pausing, resuming and rewinding a track.
#pragma once

#include <cstdint>

#include "audio/sound_track.h"
#include "tavik/movie.h"

namespace tavik {

// One frame's audio chunk of one track, checked against the frame it stands in.
struct TrackChunk {
    const uint8_t* data = nullptr;  // compressed: the bit stream; plain: the PCM bytes
    uint32_t dataBytes = 0;         // bytes of data that lie inside the chunk and the frame
    uint32_t size = 0;              // bytes of sound it brings, in whole sample frames
    bool compressed = false;
};

// The current frame's chunk of track t. A missing chunk, or one that does not fit in the frame,
// brings nothing; a size that is not a whole number of the track's sample frames is rounded down
// (so ring positions never stop inside a sample frame); a plain chunk brings at most the bytes it
// holds.
TrackChunk LocateTrackChunk(const TavikMovie& movie, int t, const TavikSoundTrack& track);

// Puts the chunk's sound into the ring: cut to the room left, preceded by silence when the device
// ran dry (the underrun cycle with PadArmed), and counted in TotalWritten and BufUsed.
void PutTrackSound(TavikSoundTrack& track, const TrackChunk& chunk, uint8_t* treeArea);

// The timing track's clock advances by one frame; the counters are rebased before they overflow.
void AdvanceTimingClock(TavikSoundTrack& track);
// Pulls the expected count back when the frames should have brought more sound than they did.
void ResynchroniseTiming(TavikSoundTrack& track);

// Byte positions of the timing track's sound: the frame is due when the played position plus 8
// reaches the due point, and late when the played position reaches the skip point.
inline uint32_t DuePoint(const TavikSoundTrack& track) {
    return track.ExpectedBase + track.ExpectedWritten / 1024;
}
inline uint32_t SkipPoint(const TavikSoundTrack& track) {
    return track.ExpectedBase + track.SkipMark / 1024;
}
// Positions are 32-bit byte counts that wrap after 4 GB of sound; comparing by the signed
// distance keeps the pacing right across the wrap.
inline bool Reached(uint32_t position, uint32_t point) {
    return static_cast<int32_t>(position - point) >= 0;
}

// Pausing drops the sound not yet taken; resuming rebuilds the ring (unless the movie stands on
// frame 0) with MaxChunk bytes of silence, or with the last MaxChunk bytes played again when the
// movie still stands on the frame it paused at and `playing` is not negative.
void PauseTrack(const SoundBackend& backend, TavikSoundTrack& track);
bool ResumeTrack(const SoundBackend& backend, TavikSoundTrack& track, const TavikMovie& movie,
                 int32_t playing);
// Rewinding to frame 0: stops the output, empties the ring and clears the counters.
void ResetTrack(const SoundBackend& backend, TavikSoundTrack& track);

}  // namespace tavik
