#ifdef _WIN32

#include "audio/wave_out_backend.h"

#include <windows.h>
// After windows.h, which it needs:
#include <mmsystem.h>

#include <cstring>
#include <memory>
#include <new>

#include "audio/output_volume.h"
#include "audio/sound_debug.h"
#include "audio/sound_ring.h"
#include "audio/track_wave_format.h"
#include "audio/wave_out_timing.h"

namespace tavik {
namespace {

constexpr DWORD kPrimerBytes = 4;
constexpr DWORD kPrimerTimeoutMs = 1000;
// waveOutReset returns the blocks at once; the wait after it is bounded all the same, so that a
// device that never answers cannot hang the player.
constexpr DWORD kResetTimeoutMs = 1000;

// A block: its header followed by its data, inside the track's one allocation.
struct WaveOutTrack {
    HWAVEOUT WaveDevice = nullptr;
    uint32_t BlockSize = 0;
    WaveOutRun run;  // PlayedBase, RunStart, RunMillis, RunBytes
    WAVEHDR* BlockA = nullptr;
    WAVEHDR* BlockB = nullptr;
    std::unique_ptr<uint8_t[]> blocks;
};

TavikSoundTrack* g_tracks = nullptr;  // open tracks, newest first, through NextTrack

WaveOutTrack* StateOf(TavikSoundTrack* track) {
    return static_cast<WaveOutTrack*>(track->Backend);
}

// The device sets the done flag from its own side: read it afresh at every test.
bool IsDone(const WAVEHDR* block) {
    return (*static_cast<const volatile DWORD*>(&block->dwFlags) & WHDR_DONE) != 0;
}

bool WaitDone(const WAVEHDR* a, const WAVEHDR* b, DWORD timeoutMs) {
    const DWORD start = timeGetTime();
    while (!IsDone(a) || (b != nullptr && !IsDone(b))) {
        if (timeGetTime() - start >= timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

bool AllocateBlocks(WaveOutTrack& state) {
    const size_t stride = sizeof(WAVEHDR) + state.BlockSize;
    state.blocks.reset(new (std::nothrow) uint8_t[2 * stride]);
    if (!state.blocks) return false;
    state.BlockA = reinterpret_cast<WAVEHDR*>(state.blocks.get());
    state.BlockB = reinterpret_cast<WAVEHDR*>(state.blocks.get() + stride);
    return true;
}

uint8_t* DataOf(WAVEHDR* block) {
    return reinterpret_cast<uint8_t*>(block + 1);
}

void CloseDevice(WaveOutTrack& state) {
    if (state.WaveDevice == nullptr) return;
    waveOutReset(state.WaveDevice);
    WaitDone(state.BlockA, state.BlockB, kResetTimeoutMs);
    waveOutUnprepareHeader(state.WaveDevice, state.BlockA, sizeof(WAVEHDR));
    waveOutUnprepareHeader(state.WaveDevice, state.BlockB, sizeof(WAVEHDR));
    waveOutClose(state.WaveDevice);
    state.WaveDevice = nullptr;
}

// Opens the device and primes it with a few bytes of silence, so that both blocks are free and
// the device has shown that it plays.
bool OpenDevice(TavikSoundTrack& track, WaveOutTrack& state) {
    SoundDebugLine("Using standard waveOut\r\n");
    const WAVEFORMATEX format = TrackWaveFormat(track);
    const MMRESULT result =
        waveOutOpen(&state.WaveDevice, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR) {
        state.WaveDevice = nullptr;
        SoundDebugLine("WaveOut open failed - error #: ", static_cast<int32_t>(result));
        return false;
    }
    for (WAVEHDR* block : {state.BlockA, state.BlockB}) {
        std::memset(block, 0, sizeof(WAVEHDR));
        block->lpData = reinterpret_cast<LPSTR>(DataOf(block));
        block->dwBufferLength = state.BlockSize;
        waveOutPrepareHeader(state.WaveDevice, block, sizeof(WAVEHDR));
    }
    state.BlockB->dwFlags |= WHDR_DONE;

    std::memset(DataOf(state.BlockA), SilenceByte(track), state.BlockSize);
    state.BlockA->dwBufferLength = kPrimerBytes;
    waveOutWrite(state.WaveDevice, state.BlockA, sizeof(WAVEHDR));
    if (!WaitDone(state.BlockA, nullptr, kPrimerTimeoutMs)) {
        state.BlockA->dwFlags |= WHDR_DONE;
        CloseDevice(state);
        return false;
    }
    return true;
}

void Unlink(TavikSoundTrack* track) {
    for (TavikSoundTrack** link = &g_tracks; *link != nullptr; link = &(*link)->NextTrack) {
        if (*link == track) {
            *link = track->NextTrack;
            track->NextTrack = nullptr;
            return;
        }
    }
}

void Service();

bool Open(TavikSoundTrack* track, uint32_t) {
    auto state = std::unique_ptr<WaveOutTrack>(new (std::nothrow) WaveOutTrack);
    if (!state) return false;
    state->BlockSize = WaveOutBlockSize(track->BytesPerSecond);
    if (state->BlockSize == 0 || !AllocateBlocks(*state)) return false;
    if (!OpenDevice(*track, *state)) return false;
    track->Backend = state.release();
    track->NextTrack = g_tracks;
    g_tracks = track;
    return true;
}

void Stop(TavikSoundTrack* track) {
    if (WaveOutTrack* state = StateOf(track)) CloseDevice(*state);
}

// Expects the device closed by Stop; an open device is kept rather than opened twice.
bool Restart(TavikSoundTrack* track) {
    WaveOutTrack* state = StateOf(track);
    if (state == nullptr) return false;
    if (state->WaveDevice != nullptr) return true;
    return OpenDevice(*track, *state);
}

void VolumePan(TavikSoundTrack* track, int32_t volume, int32_t pan) {
    WaveOutTrack* state = StateOf(track);
    if (state == nullptr || state->WaveDevice == nullptr) return;
    UINT id = 0;
    if (waveOutGetID(state->WaveDevice, &id) != MMSYSERR_NOERROR) return;
    waveOutSetVolume(reinterpret_cast<HWAVEOUT>(static_cast<uintptr_t>(id)),
                     WaveOutVolumeWord(volume, pan));
}

uint32_t Position(TavikSoundTrack* track) {
    Service();
    WaveOutTrack* state = StateOf(track);
    return state != nullptr ? WaveOutPlayed(state->run, timeGetTime()) : 0;
}

void Reset(TavikSoundTrack* track) {
    WaveOutTrack* state = StateOf(track);
    if (state == nullptr) return;
    if (state->WaveDevice != nullptr) waveOutReset(state->WaveDevice);
    state->run = WaveOutRun{};
}

void Close(TavikSoundTrack* track) {
    if (g_tracks == nullptr) return;
    WaveOutTrack* state = StateOf(track);
    if (state != nullptr) CloseDevice(*state);
    Unlink(track);
    delete state;
    track->Backend = nullptr;
}

// Queues one free block per track: at most two blocks are with a device at any time.
void Service() {
    for (TavikSoundTrack* track = g_tracks; track != nullptr; track = track->NextTrack) {
        WaveOutTrack* state = StateOf(track);
        if (state == nullptr || state->WaveDevice == nullptr) continue;
        const bool doneA = IsDone(state->BlockA);
        const bool doneB = IsDone(state->BlockB);
        if (doneA && doneB) track->Underrun = 1;
        const uint32_t used = LoadBufUsed(*track);
        if (used <= 3) continue;
        WAVEHDR* block = doneA ? state->BlockA : doneB ? state->BlockB : nullptr;
        if (block == nullptr) continue;
        const uint32_t n = used < state->BlockSize ? used : state->BlockSize;
        track->BufRead =
            CopyFromRing(DataOf(block), track->BufRead, track->BufStart, track->BufEnd, n);
        ApplyOutputVolume(*track, DataOf(block), n);
        SubBufUsed(*track, n);
        block->dwBufferLength = n;
        block->dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        waveOutWrite(state->WaveDevice, block, sizeof(WAVEHDR));
        WaveOutQueued(state->run, n, timeGetTime(), track->BytesPerSecond);
    }
}

constexpr SoundBackend kWaveOut = {Open, Stop, Restart, VolumePan, Position, Reset, Close, Service};

}  // namespace

const SoundBackend& WaveOutBackend() {
    return kWaveOut;
}

}  // namespace tavik

#endif
