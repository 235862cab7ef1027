#include "audio/sound_tracks.h"

#include <cstring>

#include "audio/audio_decoder.h"
#include "audio/sound_backend.h"
#include "audio/sound_hooks.h"
#include "audio/sound_ring.h"

namespace tavik {
namespace {

// Changed only on the thread that opens and closes movies.
uint32_t g_openTracks = 0;
uint8_t* g_treeArea = nullptr;

constexpr uint32_t kMaxBytesPerSecond = 4u << 20;
constexpr uint64_t kMaxFrameBytes = 1u << 30;

const SoundBackend* EnsureBackend() {
    const SoundBackend* backend = InstalledSoundBackend();
    if (!backend || !backend->SoundOpen) {
        UseWaveOut();
        backend = InstalledSoundBackend();
    }
    return backend && backend->SoundOpen ? backend : nullptr;
}

// Steps 1 to 6 of opening track t into the zeroed-on-entry record.
bool OpenTrack(TavikMovie* movie, int t, TavikSoundTrack* track) {
    const SoundBackend* backend = EnsureBackend();
    if (!backend) return false;
    const uint32_t format = movie->Header.AudioFormat[t];
    const uint32_t rate = (format & TAVIK_AUDIO_PRESENT) ? format & TAVIK_AUDIO_RATE_MASK : 0;
    if (!rate) return false;
    const bool stereo = (format & TAVIK_AUDIO_STEREO) != 0;
    const bool wide = (format & TAVIK_AUDIO_16BIT) != 0;
    const uint32_t bytesPerSecond = rate * (wide ? 2 : 1) * (stereo ? 2 : 1);

    if (!g_treeArea) {
        g_treeArea = static_cast<uint8_t*>(TavikAlloc(movie, kAudioTreeAreaSize));
        if (!g_treeArea) return false;
    }

    TrackSizes sizes;
    if (!TrackSizesFor(bytesPerSecond, movie->FrameTime, &sizes)) return false;
    std::memset(track, 0, sizeof *track);
    track->FrameBytes = sizes.frameBytes;
    track->SkipMark = sizes.skipMark;
    track->BufSize = sizes.bufSize;
    track->BufStart = static_cast<uint8_t*>(TavikAlloc(movie, track->BufSize));
    if (!track->BufStart) return false;
    track->BufEnd = track->BufStart + track->BufSize;
    track->BufRead = track->BufStart;
    track->BufWrite = track->BufStart;
    track->BytesPerSecond = bytesPerSecond;
    track->SampleRate = rate;
    track->Is16Bit = wide;
    track->IsStereo = stereo;
    // A ring of silence: a resume that plays the last MaxChunk bytes again never meets bytes
    // that were not written.
    std::memset(track->BufStart, SilenceByte(*track), track->BufSize);

    if (!backend->SoundOpen(track, movie->OpenFlags)) {
        TavikFree(track->BufStart);
        movie->MemUsed -= track->BufSize;
        return false;
    }
    // A MaxChunk beyond the ring would make the underrun silence and the resume refill larger
    // than the ring; the ring size bounds it.
    track->MaxChunk = movie->Header.AudioMaxSize[t] & ~3u;
    if (track->MaxChunk > track->BufSize) track->MaxChunk = track->BufSize;
    if (movie->TimingTrack == -1) movie->TimingTrack = t;
    ++g_openTracks;
    return true;
}

}  // namespace

uint32_t OpenTrackCount() {
    return g_openTracks;
}

uint8_t* AudioTreeArea() {
    return g_treeArea;
}

void ServiceSound() {
    if (!g_openTracks) return;
    const SoundBackend* backend = InstalledSoundBackend();
    if (backend && backend->SoundService) backend->SoundService();
}

bool TrackSizesFor(uint32_t bytesPerSecond, uint32_t frameTime, TrackSizes* sizes) {
    if (!bytesPerSecond || bytesPerSecond > kMaxBytesPerSecond) return false;
    const uint64_t frameBytes = static_cast<uint64_t>(bytesPerSecond) * 1024 * frameTime / 100000;
    if (frameBytes > kMaxFrameBytes) return false;
    sizes->frameBytes = static_cast<uint32_t>(frameBytes);
    sizes->skipMark = bytesPerSecond * 512;
    const uint32_t wanted = sizes->frameBytes / 512 + bytesPerSecond;
    sizes->bufSize = wanted < 8192 ? 8192 : (wanted + 4095) / 4096 * 4096;
    return true;
}

TavikSoundTrack* TimingRecord(const TavikMovie* movie) {
    if (!movie || movie->TimingTrack < 0 || movie->TimingTrack >= TAVIK_MAX_TRACKS) return nullptr;
    return movie->Tracks[movie->TimingTrack];
}

bool OpenSoundTrack(TavikMovie* movie, int t) {
    if (!movie || t < 0 || t >= TAVIK_MAX_TRACKS || movie->Tracks[t]) return false;
    auto* track = static_cast<TavikSoundTrack*>(TavikAlloc(movie, sizeof(TavikSoundTrack)));
    if (!track) return false;
    if (!OpenTrack(movie, t, track)) {
        TavikFree(track);
        movie->MemUsed -= sizeof(TavikSoundTrack);
        return false;
    }
    movie->Tracks[t] = track;
    return true;
}

void CloseSoundTracks(TavikMovie* movie) {
    if (!movie) return;
    const SoundBackend* backend = InstalledSoundBackend();
    bool anyOpen = false;
    for (TavikSoundTrack*& track : movie->Tracks) {
        if (!track) continue;
        anyOpen = true;
        if (backend && backend->SoundClose) backend->SoundClose(track);
        TavikFree(track->BufStart);
        TavikFree(track);
        track = nullptr;
        --g_openTracks;
    }
    if (anyOpen) movie->TimingTrack = -1;
    if (!g_openTracks && g_treeArea) {
        TavikFree(g_treeArea);
        g_treeArea = nullptr;
    }
}

}  // namespace tavik
