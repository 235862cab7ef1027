// The sound track record: one per open track, holding its sound ring and timing counters.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

struct TavikSoundTrack {
    uint8_t* BufStart;
    uint8_t* BufEnd;  // one past the ring's last byte
    uint8_t* BufRead;
    uint8_t* BufWrite;
    uint32_t BufUsed;  // changed only by atomic addition and subtraction
    uint32_t BytesPerSecond;
    uint32_t BufSize;
    uint32_t FrameBytes;       // bytes of sound per frame, times 1024
    uint32_t ExpectedWritten;  // times 1024, from ExpectedBase
    uint32_t ExpectedBase;     // whole bytes
    uint32_t SkipMark;         // times 1024, from ExpectedBase
    uint32_t TotalWritten;
    uint32_t SoundSkips;
    uint32_t MaxChunk;
    TavikSoundTrack* NextTrack;  // the backend's list of open tracks
    uint32_t SampleRate;
    uint32_t NoData;
    uint32_t Is16Bit;
    uint32_t IsStereo;
    uint32_t Underrun;
    uint32_t PadArmed;
    // The backend's own state for this track, owned by the backend from SoundOpen to SoundClose.
    void* Backend;
};

namespace tavik {

// The process-wide table of sound operations, filled once (sound_backend.h). Contracts:
// SoundOpen acquires the output for a track whose ring, rate and format are set and links it into
// the backend's list (nothing stays acquired on failure); SoundStop releases the device while
// paused; SoundRestart reacquires it; SoundPosition runs the service and returns the bytes played
// since the open or the last SoundReset; SoundReset stops at once and drops what is queued;
// SoundClose unlinks and releases everything; SoundService moves sound from every open track's
// ring (at BufRead, lowering BufUsed) to its device and sets Underrun when the device ran dry.
struct SoundBackend {
    bool (*SoundOpen)(TavikSoundTrack* track, uint32_t openFlags);
    void (*SoundStop)(TavikSoundTrack* track);
    bool (*SoundRestart)(TavikSoundTrack* track);
    void (*SoundVolumePan)(TavikSoundTrack* track, int32_t volume, int32_t pan);
    uint32_t (*SoundPosition)(TavikSoundTrack* track);
    void (*SoundReset)(TavikSoundTrack* track);
    void (*SoundClose)(TavikSoundTrack* track);
    void (*SoundService)();
};

}  // namespace tavik
