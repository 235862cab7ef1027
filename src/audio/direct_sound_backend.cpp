#include "audio/direct_sound_backend.h"

#ifndef _WIN32

namespace tavik {

const SoundBackend* LoadDirectSoundBackend(void*) {
    return nullptr;
}
void SetSoundWindow(void*) {}

}  // namespace tavik

#else

#include <windows.h>
// After windows.h, which they need:
#include <dsound.h>
#include <mmsystem.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "audio/direct_sound_pass.h"
#include "audio/sound_debug.h"
#include "audio/track_wave_format.h"

namespace tavik {
namespace {

constexpr UINT kTimerDelayMs = 75;
constexpr UINT kTimerResolutionMs = 25;
constexpr DWORD kServiceGapMs = 10;
constexpr uint32_t kOpenPan = 0x20;  // open flags asking for pan and volume control
constexpr uint32_t kOpenVolume = 0x40;

using CreateFunction = HRESULT(WINAPI*)(const GUID*, IDirectSound**, IUnknown*);

struct DsTrack {
    DsTrackState state;
    IDirectSoundBuffer* DsBuffer = nullptr;
    uint32_t DsCreateFlags = 0;
    WAVEFORMATEX format{};
};

CreateFunction g_create = nullptr;
IDirectSound* g_object = nullptr;
bool g_ownsObject = false;
HWND g_soundWindow = nullptr;
bool g_primaryPending = false;
int g_bufferCount = 0;
TavikSoundTrack* g_tracks = nullptr;  // newest first, through NextTrack
UINT g_timer = 0;
std::atomic<int> g_busy{0};
DWORD g_nextService = 0;  // touched only inside a pass

DsTrack* StateOf(TavikSoundTrack* track) {
    return static_cast<DsTrack*>(track->Backend);
}

// The count is raised around every DirectSound call of the player's thread, so that a timer
// pass does not start inside one.
class BusyScope {
  public:
    BusyScope() { g_busy.fetch_add(1); }
    ~BusyScope() { g_busy.fetch_sub(1); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// Operations that link, unlink, create or release a track's buffer wait until no pass is
// running and hold further passes off for their whole length: they take the count from 0.
class ExclusiveScope {
  public:
    ExclusiveScope() {
        for (;;) {
            int idle = 0;
            if (g_busy.compare_exchange_strong(idle, 1)) return;
            Sleep(0);
        }
    }
    ~ExclusiveScope() { g_busy.fetch_sub(1); }
    ExclusiveScope(const ExclusiveScope&) = delete;
    ExclusiveScope& operator=(const ExclusiveScope&) = delete;
};

int32_t AsNumber(const void* address) {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(address));
}

// Size fields carry sizeof of the structure as this build has it; the system checks them.
DSBUFFERDESC BufferDescription(DWORD flags, DWORD bytes, WAVEFORMATEX* format) {
    DSBUFFERDESC description;
    std::memset(&description, 0, sizeof description);
    description.dwSize = sizeof description;
    description.dwFlags = flags;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = format;
    return description;
}

void SetPrimaryFormat(WAVEFORMATEX* format) {
    DSBUFFERDESC description = BufferDescription(DSBCAPS_PRIMARYBUFFER, 0, nullptr);
    IDirectSoundBuffer* primary = nullptr;
    if (g_object->CreateSoundBuffer(&description, &primary, nullptr) != DS_OK) return;
    primary->SetFormat(format);
    primary->Play(0, 0, DSBPLAY_LOOPING);
    primary->Release();  // the object keeps the primary buffer; this program does not
}

// The track's buffer as a pass sees it.
class PassBuffer : public DsBufferCalls {
  public:
    explicit PassBuffer(DsTrack& track) : track_(track) {}
    bool PlayCursor(uint32_t* cursor) override {
        BusyScope busy;
        DWORD play = 0;
        if (track_.DsBuffer->GetCurrentPosition(&play, nullptr) != DS_OK) return false;
        *cursor = play;
        return true;
    }
    bool Lock(uint32_t offset, uint32_t bytes, DsLockedParts* parts) override {
        BusyScope busy;
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstSize = 0, secondSize = 0;
        if (track_.DsBuffer->Lock(offset, bytes, &first, &firstSize, &second, &secondSize, 0) !=
            DS_OK) {
            return false;
        }
        *parts = DsLockedParts{static_cast<uint8_t*>(first), firstSize,
                               static_cast<uint8_t*>(second), secondSize};
        return true;
    }
    void Unlock(const DsLockedParts& parts) override {
        BusyScope busy;
        track_.DsBuffer->Unlock(parts.first, parts.firstSize, parts.second, parts.secondSize);
    }
    void StopAndRewind() override {
        BusyScope busy;
        track_.DsBuffer->Stop();
        track_.DsBuffer->SetCurrentPosition(0);
    }
    void Play() override {
        BusyScope busy;
        if (g_primaryPending) {
            g_primaryPending = false;
            SetPrimaryFormat(&track_.format);
        }
        track_.DsBuffer->Play(0, 0, DSBPLAY_LOOPING);
    }

  private:
    DsTrack& track_;
};

// The window for the cooperative level when none was given: the last top-level window of this
// program (not a child) in Z order, else the first window of this process, else the active one.
HWND FindSoundWindow() {
    const DWORD process = GetCurrentProcessId();
    const HINSTANCE program = GetModuleHandleA(nullptr);
    HWND first = nullptr, found = nullptr;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != process) continue;
        if (first == nullptr) first = w;
        if (reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(w, GWLP_HINSTANCE)) == program &&
            (GetWindowLongA(w, GWL_STYLE) & WS_CHILD) == 0) {
            found = w;
        }
    }
    if (found != nullptr) return found;
    return first != nullptr ? first : GetActiveWindow();
}

void ApplySoundWindow() {
    if (g_object == nullptr) return;
    HRESULT result;
    {
        BusyScope busy;
        result = g_object->SetCooperativeLevel(g_soundWindow, DSSCL_PRIORITY);
    }
    if (result != DS_OK) {
        SoundDebugLine("Unable to set cooperative level - Error #: ", static_cast<int32_t>(result));
    }
    SoundDebugLine("DirectSound using HWND: ", AsNumber(g_soundWindow));
}

bool EnsureObject() {
    if (g_object != nullptr) return true;
    IDirectSound* object = nullptr;
    HRESULT result;
    {
        BusyScope busy;
        result = g_create(nullptr, &object, nullptr);
    }
    if (result != DS_OK || object == nullptr) {
        SoundDebugLine("Unable to create DirectSound object - error #: ",
                       static_cast<int32_t>(result));
        return false;
    }
    g_object = object;
    g_ownsObject = true;
    if (g_soundWindow == nullptr) g_soundWindow = FindSoundWindow();
    ApplySoundWindow();
    g_primaryPending = true;
    return true;
}

void ReleaseObject() {
    if (!g_ownsObject || g_object == nullptr) return;
    BusyScope busy;
    g_object->Release();
    g_object = nullptr;
    g_ownsObject = false;
}

// Tries with the global-focus flag first (the record keeps it), then once without.
bool CreateBuffer(DsTrack& track) {
    DSBUFFERDESC description =
        BufferDescription(track.DsCreateFlags, track.state.DsSize, &track.format);
    IDirectSoundBuffer* buffer = nullptr;
    HRESULT result;
    {
        BusyScope busy;
        result = g_object->CreateSoundBuffer(&description, &buffer, nullptr);
        if (result != DS_OK) {
            description.dwFlags &= ~static_cast<DWORD>(DSBCAPS_GLOBALFOCUS);
            result = g_object->CreateSoundBuffer(&description, &buffer, nullptr);
        }
    }
    if (result != DS_OK || buffer == nullptr) {
        SoundDebugLine("Unable to create sound buffer - Error #: ", static_cast<int32_t>(result));
        return false;
    }
    SoundDebugLine("Created sound buffer #:", AsNumber(buffer));
    track.DsBuffer = buffer;
    ++g_bufferCount;
    track.state.DsStopped = 1;
    track.state.DsDataEnd = -1;
    track.state.DsLastPos = 0;
    track.state.DsMaxPos = 0;
    return true;
}

void ReleaseBuffer(DsTrack& track) {
    if (track.DsBuffer == nullptr) return;
    BusyScope busy;
    track.DsBuffer->Stop();
    track.DsBuffer->Release();
    track.DsBuffer = nullptr;
    --g_bufferCount;
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

void Service() {
    if (g_busy.fetch_add(1) == 0) {
        const DWORD now = timeGetTime();
        if (g_nextService == 0) g_nextService = now;
        if (static_cast<int32_t>(now - g_nextService) >= 0) {
            g_nextService = now + kServiceGapMs;
            for (TavikSoundTrack* track = g_tracks; track != nullptr; track = track->NextTrack) {
                DsTrack* state = StateOf(track);
                if (state == nullptr || state->DsBuffer == nullptr) continue;
                PassBuffer buffer(*state);
                DirectSoundTrackPass(*track, state->state, buffer);
            }
        }
    }
    g_busy.fetch_sub(1);
}

void CALLBACK TimerTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    Service();
}

bool Open(TavikSoundTrack* track, uint32_t openFlags) {
    auto state = std::unique_ptr<DsTrack>(new (std::nothrow) DsTrack);
    if (!state) return false;
    state->state.DsSize = DirectSoundBufferSize(track->BytesPerSecond);
    state->format = TrackWaveFormat(*track);
    SoundDebugLine("Using DirectSound\n\r\n");
    ExclusiveScope exclusive;
    if (state->state.DsSize == 0 || !EnsureObject()) return false;
    SoundDebugLine("Using lpDS: ", AsNumber(g_object));
    state->state.DsWritten = 0;
    state->DsCreateFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
    if (openFlags & kOpenPan) state->DsCreateFlags |= DSBCAPS_CTRLPAN;
    if (openFlags & kOpenVolume) state->DsCreateFlags |= DSBCAPS_CTRLVOLUME;
    if (!CreateBuffer(*state)) {
        if (g_bufferCount == 0) ReleaseObject();
        return false;
    }
    if (g_tracks == nullptr) {
        g_timer = timeSetEvent(kTimerDelayMs, kTimerResolutionMs, TimerTick, 0,
                               TIME_PERIODIC | TIME_CALLBACK_FUNCTION);
    }
    track->Backend = state.release();
    track->NextTrack = g_tracks;
    g_tracks = track;
    return true;
}

void Stop(TavikSoundTrack* track) {
    DsTrack* state = StateOf(track);
    if (state == nullptr) return;
    ExclusiveScope exclusive;
    ReleaseBuffer(*state);
    if (g_bufferCount == 0) ReleaseObject();
}

bool Restart(TavikSoundTrack* track) {
    DsTrack* state = StateOf(track);
    if (state == nullptr) return false;
    ExclusiveScope exclusive;
    if (state->DsBuffer != nullptr) return true;
    if (g_bufferCount == 0 && !EnsureObject()) return false;
    if (CreateBuffer(*state)) return true;
    if (g_bufferCount == 0) ReleaseObject();
    return false;
}

void VolumePan(TavikSoundTrack* track, int32_t volume, int32_t pan) {
    DsTrack* state = StateOf(track);
    if (state == nullptr || state->DsBuffer == nullptr) return;
    BusyScope busy;
    state->DsBuffer->SetPan(DirectSoundPanValue(pan));
    state->DsBuffer->SetVolume(DirectSoundVolumeValue(volume));
}

uint32_t Position(TavikSoundTrack* track) {
    Service();
    DsTrack* state = StateOf(track);
    if (state == nullptr) return 0;
    ExclusiveScope exclusive;
    return DirectSoundPlayed(state->state, state->DsBuffer != nullptr, timeGetTime(),
                             track->BytesPerSecond);
}

void Reset(TavikSoundTrack* track) {
    DsTrack* state = StateOf(track);
    if (state == nullptr) return;
    ExclusiveScope exclusive;
    if (state->DsBuffer != nullptr) {
        state->DsBuffer->Stop();
        state->DsBuffer->SetCurrentPosition(0);
    }
    DirectSoundResetState(state->state);
}

void Close(TavikSoundTrack* track) {
    if (g_tracks == nullptr) return;
    DsTrack* state = StateOf(track);
    {
        ExclusiveScope exclusive;
        Unlink(track);
        if (g_tracks == nullptr && g_timer != 0) {
            timeKillEvent(g_timer);
            g_timer = 0;
        }
        if (state != nullptr) ReleaseBuffer(*state);
        if (g_tracks == nullptr) {
            ReleaseObject();
            g_primaryPending = false;
        }
    }
    delete state;
    track->Backend = nullptr;
}

constexpr SoundBackend kDirectSound = {Open,     Stop,  Restart, VolumePan,
                                       Position, Reset, Close,   Service};

}  // namespace

const SoundBackend* LoadDirectSoundBackend(void* object) {
    if (g_create == nullptr) {
        const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
        const HMODULE library = LoadLibraryA("DSOUND.DLL");
        SetErrorMode(previous);
        if (library != nullptr) {
            g_create = reinterpret_cast<CreateFunction>(
                reinterpret_cast<void*>(GetProcAddress(library, "DirectSoundCreate")));
        }
    }
    if (g_create == nullptr) return nullptr;
    g_object = static_cast<IDirectSound*>(object);
    g_ownsObject = false;
    return &kDirectSound;
}

void SetSoundWindow(void* window) {
    g_soundWindow = static_cast<HWND>(window);
    ApplySoundWindow();
}

}  // namespace tavik

#endif
