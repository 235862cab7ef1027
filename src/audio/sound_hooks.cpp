// Sound pacing in the frame cycle: feeding the tracks, the late test, the wait on the timing
// track, pause and resume, and the reset on rewinding.
#include "audio/sound_hooks.h"

#include "audio/sound_backend.h"
#include "audio/sound_tracks.h"
#include "audio/track_buffering.h"

namespace tavik {
namespace {

int LowestOpenTrack(const TavikMovie& movie) {
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t)
        if (movie.Tracks[t]) return t;
    return -1;
}

uint32_t PlayedPosition(TavikSoundTrack* track) {
    const SoundBackend* backend = InstalledSoundBackend();
    return backend && backend->SoundPosition ? backend->SoundPosition(track) : 0;
}

}  // namespace

void FeedSoundTracks(TavikMovie* movie) {
    TavikSoundTrack* timing = TimingRecord(movie);
    if (!timing || movie->Paused) return;
    if (movie->FrameTime) movie->SyncPending = 1;
    AdvanceTimingClock(*timing);

    // The lowest open track (the timing track) decides whether this frame feeds any track.
    const int lowest = LowestOpenTrack(*movie);
    TavikSoundTrack* first = movie->Tracks[lowest];
    const TrackChunk firstChunk = LocateTrackChunk(*movie, lowest, *first);
    first->NoData = firstChunk.size == 0;
    if (firstChunk.size) {
        ServiceSound();  // drain the rings before filling them
        for (int t = lowest; t < TAVIK_MAX_TRACKS; ++t) {
            TavikSoundTrack* track = movie->Tracks[t];
            if (!track) continue;
            const TrackChunk chunk = t == lowest ? firstChunk : LocateTrackChunk(*movie, t, *track);
            PutTrackSound(*track, chunk, AudioTreeArea());
        }
    }
    ResynchroniseTiming(*timing);
}

bool FrameLateBySound(TavikMovie* movie) {
    TavikSoundTrack* timing = TimingRecord(movie);
    if (!timing || !movie->FrameTime || movie->Paused) return false;
    if (!movie->SyncPending) return true;
    if (timing->NoData) return false;
    if (!Reached(PlayedPosition(timing), SkipPoint(*timing))) return false;
    movie->SyncPending = 0;  // already half a second behind: no wait for this frame
    return true;
}

int WaitingForSound(TavikMovie* movie) {
    TavikSoundTrack* timing = TimingRecord(movie);
    if (!timing) return kNoTimingTrack;
    if (!movie->SyncPending || movie->Paused) return kFrameDue;
    if (Reached(PlayedPosition(timing) + 8, DuePoint(*timing))) {
        movie->SyncPending = 0;
        return kFrameDue;
    }
    return kWaitForSound;
}

void ResetSoundOnRewind(TavikMovie* movie) {
    TavikSoundTrack* timing = TimingRecord(movie);
    if (!timing || !timing->TotalWritten) return;
    // Only when no other movie has a track open: their output must not be disturbed.
    uint32_t mine = 0;
    for (int t = movie->TimingTrack; t < TAVIK_MAX_TRACKS; ++t) mine += movie->Tracks[t] != nullptr;
    if (mine != OpenTrackCount()) return;
    const SoundBackend* backend = InstalledSoundBackend();
    if (!backend) return;
    for (TavikSoundTrack* track : movie->Tracks)
        if (track) ResetTrack(*backend, *track);
}

uint32_t SetSoundPlaying(TavikMovie* movie, int32_t playing) {
    if (!movie) return 0;
    if (!TimingRecord(movie)) return 1;  // the player pauses the pictures itself
    const SoundBackend* backend = InstalledSoundBackend();
    if (!backend) return 1;
    if (playing == 0) {
        if (!movie->Paused) {
            movie->PauseFrame = movie->FrameNum;
            movie->Paused = 1;
            for (TavikSoundTrack* track : movie->Tracks)
                if (track) PauseTrack(*backend, *track);
        }
        ServiceSound();
        return 1;
    }
    if (movie->Paused) {
        for (TavikSoundTrack* track : movie->Tracks)
            if (track && !ResumeTrack(*backend, *track, *movie, playing)) return 0;
        movie->Paused = 0;
    }
    ServiceSound();
    return 1;
}

uint32_t TimingTrackSoundSkips(const TavikMovie* movie) {
    const TavikSoundTrack* timing = TimingRecord(movie);
    return timing ? timing->SoundSkips : 0;
}

}  // namespace tavik
