// What the movie core asks of the sound side, at the places of the frame cycle that name them.
// Every function is safe with no track open and with a null movie.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// Process-wide count of open tracks over all movies.
uint32_t OpenTrackCount();
// Runs the backend's service pass when any track is open.
void ServiceSound();

// The track-open step of opening a movie, for track t: allocates the track record (counted in
// MemUsed), sets up its ring and timing counters, opens the output, and makes the first track
// that opens the timing track. False when the track cannot open; the movie then opens without
// it, nothing of the track stays allocated and its sizes are taken off MemUsed again (the audio
// tree area, once allocated, stays until the last track closes). The core sets the track's bit
// in OpenFlags on true.
//
// A track is refused when its format word lacks the present bit or has rate 0, when it would
// play more than 4 MB of sound per second, or when one frame would bring more than 1 MB of sound
// (its fixed-point counters would not fit 32 bits).
bool OpenSoundTrack(TavikMovie* movie, int t);
// Closes every open track of the movie (TimingTrack becomes -1), and frees the audio tree area
// when no track of any movie is left open. Call it on every close.
void CloseSoundTracks(TavikMovie* movie);

// Hands the current frame's audio chunks to the tracks (the frame decode, before the late test).
// Marks the frame as waiting for the sound (SyncPending) when FrameTime is not 0.
void FeedSoundTracks(TavikMovie* movie);
// The late test against the timing track: true when the frame's video is to be skipped. Never
// late with FrameTime 0, without a timing track, when paused, or when the frame brought the
// timing track no sound.
bool FrameLateBySound(TavikMovie* movie);

// The wait on the timing track (TavikNotYetDue):
constexpr int kNoTimingTrack = -1;  // no timing track: pace by the clock instead
constexpr int kFrameDue = 0;        // not waiting: due now (SyncPending cleared), or paused
constexpr int kWaitForSound = 1;    // not yet due: do one background read and report waiting
int WaitingForSound(TavikMovie* movie);

// Repositioning to frame 0: when the timing track has written sound and this movie holds every
// open track of the process, resets every track (output restarted, ring emptied, counters 0).
void ResetSoundOnRewind(TavikMovie* movie);
// TavikSetPlaying: pause (playing == 0) or resume, with PauseFrame and Paused kept here. Without a
// timing track nothing happens. Returns 0 when a track fails to restart (Paused stays set), else 1.
uint32_t SetSoundPlaying(TavikMovie* movie, int32_t playing);
// SoundSkips of the timing track, 0 without one.
uint32_t TimingTrackSoundSkips(const TavikMovie* movie);

}  // namespace tavik
