// What the movie core asks of the sound side. Every function is safe with no track open.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// Process-wide count of open tracks over all movies.
uint32_t OpenTrackCount();
// Runs the backend's service pass when any track is open.
void ServiceSound();
// The track-open step of opening a movie, for track t. False when the track cannot open (the
// movie then opens without it; nothing of the track is left allocated).
bool OpenSoundTrack(TavikMovie* movie, int t);
// Closes every open track of the movie and frees the audio tree area with the last track.
void CloseSoundTracks(TavikMovie* movie);
// Hands the current frame's audio chunks to the tracks (run by the frame decode).
void FeedSoundTracks(TavikMovie* movie);
// The late test against the timing track: true when the frame's video is to be skipped.
bool FrameLateBySound(TavikMovie* movie);
// The wait on the timing track: true while the frame is not yet due (no read-ahead done here).
bool WaitingForSound(TavikMovie* movie);
// Rewinding to frame 0: resets every open track when the timing track has written sound.
void ResetSoundOnRewind(TavikMovie* movie);
// Pause (playing == 0) or resume. Returns 0 when a track fails to restart.
uint32_t SetSoundPlaying(TavikMovie* movie, int32_t playing);
// SoundSkips of the timing track, 0 without one.
uint32_t TimingTrackSoundSkips(const TavikMovie* movie);

}  // namespace tavik
