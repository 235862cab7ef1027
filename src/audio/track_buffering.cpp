#include "audio/track_buffering.h"

#include <algorithm>
#include <cstring>

#include "audio/audio_decoder.h"
#include "audio/sound_hooks.h"
#include "audio/sound_ring.h"

namespace tavik {
namespace {

constexpr uint32_t kRebaseCounts = 256000 * 1024;  // 0xFA00000
constexpr uint32_t kRebaseBytes = 256000;
constexpr uint32_t kRebaseSkipFloor = 0x2000000;

uint32_t Load32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;  // the movie's words are little-endian, as is every target of this engine
}

// One past the current frame's last byte, or null when the frame is unknown.
const uint8_t* FrameEnd(const TavikMovie& movie) {
    const uint64_t frameTotal = static_cast<uint64_t>(movie.Header.FrameCount) +
                                ((movie.Header.Flags & TavikFlagRingFrame) ? 1 : 0);
    if (!movie.FramePtr || !movie.FrameSizes || movie.FrameNum >= frameTotal) return nullptr;
    return movie.FramePtr + movie.FrameSizes[movie.FrameNum];
}

}  // namespace

TrackChunk LocateTrackChunk(const TavikMovie& movie, int t, const TavikSoundTrack& track) {
    TrackChunk chunk;
    const uint8_t* start = movie.AudioChunks[t];
    const uint8_t* end = FrameEnd(movie);
    if (!start || !end || start < movie.FramePtr || start >= end) return chunk;
    const uint32_t inFrame = static_cast<uint32_t>(end - start);
    if (inFrame < 4) return chunk;
    const uint32_t length = std::min(Load32(start), inFrame);
    chunk.compressed = (movie.Header.AudioFormat[t] & TAVIK_AUDIO_COMPRESSED) != 0;
    if (chunk.compressed) {
        if (length < 8) return chunk;
        chunk.data = start + 8;
        chunk.dataBytes = length - 8;
        chunk.size = Load32(start + 4);
    } else {
        if (length < 4) return chunk;
        chunk.data = start + 4;
        chunk.dataBytes = length - 4;
        chunk.size = chunk.dataBytes;
    }
    chunk.size -= chunk.size % SampleFrameBytes(track);
    return chunk;
}

void PutTrackSound(TavikSoundTrack& track, const TrackChunk& chunk, uint8_t* treeArea) {
    const uint32_t room = track.BufSize - std::min(LoadBufUsed(track), track.BufSize);
    const uint32_t size = std::min(chunk.size, room);  // the rest of the chunk is dropped

    if (track.PadArmed) {
        track.Underrun = 0;
        track.PadArmed = 0;
    }
    // After an underrun the next frame puts silence ahead of its sound to rebuild the lead, and
    // moves the expected position on by as much, so the frames are not held back for it.
    uint32_t pad = 0;
    if (track.Underrun) {
        track.PadArmed = 1;
        if (size < track.MaxChunk && track.TotalWritten != 0) {
            pad = std::min(track.MaxChunk - size, room - size);
            if (pad) {
                ++track.SoundSkips;
                track.BufWrite =
                    FillRing(track.BufWrite, SilenceByte(track), track.BufStart, track.BufEnd, pad);
                track.ExpectedBase += pad;
            }
        }
    }

    if (size) {
        if (chunk.compressed) {
            // What the stream does not deliver (no data, a broken stream, a format that is not the
            // track's) is silence: the ring never plays bytes left over from earlier.
            const uint32_t decoded = DecodeAudio(chunk.data, chunk.dataBytes, size, treeArea,
                                                 track.BufStart, track.BufEnd, track.BufWrite);
            if (decoded < size)
                FillRing(RingAdvance(track.BufWrite, decoded, track), SilenceByte(track),
                         track.BufStart, track.BufEnd, size - decoded);
        } else {
            CopyIntoRing(track.BufWrite, chunk.data, track.BufStart, track.BufEnd, size);
        }
    }
    track.TotalWritten += pad + size;
    AddBufUsed(track, pad + size);
    track.BufWrite = RingAdvance(track.BufWrite, size, track);
}

void AdvanceTimingClock(TavikSoundTrack& track) {
    track.ExpectedWritten += track.FrameBytes;
    track.SkipMark += track.FrameBytes;
    // The fixed-point counters give up 256000 bytes to ExpectedBase; the due and skip points keep
    // their values. (A loop rather than one step, so that even the longest frame the track-open
    // step accepts cannot outgrow the counters.)
    while (track.ExpectedWritten > kRebaseCounts && track.SkipMark > kRebaseSkipFloor) {
        track.ExpectedWritten -= kRebaseCounts;
        track.SkipMark -= kRebaseCounts;
        track.ExpectedBase += kRebaseBytes;
    }
}

void ResynchroniseTiming(TavikSoundTrack& track) {
    // Nothing to do while the ring has what the frames should have brought: the expected count
    // is never pulled forward.
    if (Reached(track.TotalWritten, DuePoint(track))) return;
    track.SkipMark -= track.ExpectedWritten;
    track.ExpectedWritten = 0;
    track.ExpectedBase = track.TotalWritten;
}

void PauseTrack(const SoundBackend& backend, TavikSoundTrack& track) {
    backend.SoundStop(&track);
    const uint32_t dropped = LoadBufUsed(track);
    track.TotalWritten -= dropped;
    SubBufUsed(track, dropped);
    track.BufRead = track.BufWrite;
}

bool ResumeTrack(const SoundBackend& backend, TavikSoundTrack& track, const TavikMovie& movie,
                 int32_t playing) {
    const uint32_t position = backend.SoundPosition(&track);
    if (movie.FrameNum != 0) {
        const uint32_t old = LoadBufUsed(track);
        const uint32_t back = static_cast<uint32_t>(track.BufWrite - track.BufStart);
        track.BufRead = track.MaxChunk <= back ? track.BufWrite - track.MaxChunk
                                               : track.BufWrite + (track.BufSize - track.MaxChunk);
        if (movie.FrameNum != movie.PauseFrame || playing < 0)
            FillRing(track.BufRead, SilenceByte(track), track.BufStart, track.BufEnd,
                     track.MaxChunk);
        StoreBufUsed(track, track.MaxChunk);
        track.SkipMark -= track.ExpectedWritten;
        track.ExpectedWritten = 0;
        track.ExpectedBase = position;
        track.TotalWritten += track.MaxChunk - old;
    }
    if (!backend.SoundRestart(&track)) return false;
    ServiceSound();
    track.Underrun = 0;
    return true;
}

void ResetTrack(const SoundBackend& backend, TavikSoundTrack& track) {
    backend.SoundReset(&track);
    StoreBufUsed(track, 0);
    track.BufRead = track.BufWrite;
    track.SkipMark -= track.ExpectedWritten;
    track.ExpectedBase = 0;
    track.ExpectedWritten = 0;
    track.TotalWritten = 0;
}

}  // namespace tavik
