#include "audio/seek_sound.h"

#include <algorithm>

#include "audio/sound_ring.h"

namespace tavik {

bool PutSeekSound(TavikMovie* movie, int t, const uint8_t* sound, uint32_t count, bool replay) {
    if (!movie || t < 0 || t >= TAVIK_MAX_TRACKS || (!sound && count)) return false;
    TavikSoundTrack* track = movie->Tracks[t];
    if (!track || LoadBufUsed(*track) != 0 || track->TotalWritten != 0) return false;
    count = std::min(count, replay ? track->MaxChunk : track->BufSize);
    count -= count % SampleFrameBytes(*track);  // positions stay on whole sample frames
    if (replay) {
        const uint32_t back = static_cast<uint32_t>(track->BufWrite - track->BufStart);
        uint8_t* start = track->MaxChunk <= back
                             ? track->BufWrite - track->MaxChunk
                             : track->BufWrite + (track->BufSize - track->MaxChunk);
        start = FillRing(start, SilenceByte(*track), track->BufStart, track->BufEnd,
                         track->MaxChunk - count);
        CopyIntoRing(start, sound, track->BufStart, track->BufEnd, count);
        return true;
    }
    // The bytes are in the ring before the device side is told of them.
    track->BufWrite = CopyIntoRing(track->BufWrite, sound, track->BufStart, track->BufEnd, count);
    track->TotalWritten += count;
    AddBufUsed(*track, count);
    return true;
}

}  // namespace tavik
