// The SDL sound output: one SDL audio device per open track, in the track's own format.
//
// SDL pulls sound on its own thread through a callback, which takes it straight from the
// track's ring (CopyFromRing, with BufUsed lowered by atomic subtraction). The player's thread
// changes the ring's read side only while the device is paused (stop, reset, and before a
// restart), and pausing an SDL device waits for a running callback to finish, so the two never
// touch BufRead at once.
//
// The played position is the ring bytes handed to SDL before its latest request, plus as much
// of that request as the time since it would have played: it never runs ahead of the sound and
// never goes back. A request the ring cannot fill is topped up with silence and reported as an
// underrun at the next service pass. A device starts once the ring holds a whole request, or
// holds anything for a tenth of a second, so that it does not begin by running dry.
//
// Stopping pauses the device rather than closing it: reopening a device can fail or take long,
// and a failed restart would leave the movie stalled.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "audio/sound_backend.h"
#include "audio/sound_debug.h"
#include "audio/sound_ring.h"
#include "platform/sdl/sdl_ops.h"
#include "platform/sdl/sdl_platform.h"

namespace tavik {
namespace {

constexpr Uint32 kStartWaitMs = 100;

enum class DeviceState { Waiting, Playing, Stopped };

struct SdlTrackDevice {
    SDL_AudioDeviceID device = 0;
    TavikSoundTrack* track = nullptr;
    uint32_t frameBytes = 1;
    uint32_t requestBytes = 0;  // bytes SDL asks for at a time
    // The callback's side, read by the player's thread under the device lock.
    uint64_t takenBefore = 0;  // ring bytes handed over before the latest request
    uint32_t lastTaken = 0;    // ring bytes handed over in the latest request
    Uint64 lastRequest = 0;    // performance counter at the latest request
    bool fed = false;          // ring bytes were handed over since the start or a reset
    std::atomic<bool> starved{false};
    // The player's side.
    DeviceState state = DeviceState::Waiting;
    Uint32 waitingSince = 0;  // when the ring first held something while waiting; 0 not yet
    int32_t volume = 65535;   // 0 to 65535
    int32_t pan = 32768;      // 0 left, 32768 centre, 65535 right
};

TavikSoundTrack* g_tracks = nullptr;  // open tracks, newest first, through NextTrack

SdlTrackDevice* DeviceOf(const TavikSoundTrack* track) {
    return static_cast<SdlTrackDevice*>(track->Backend);
}

// The program's own volume over every track, percent.
std::atomic<int32_t> g_masterVolume{100};

// Gain of one channel, 0 to 65536: the volume, lowered on the side the pan points away from.
int32_t ChannelGain(const SdlTrackDevice& d, int channel, int channels) {
    int64_t gain = (d.volume + (d.volume == 65535 ? 1 : 0)) * int64_t{g_masterVolume} / 100;
    if (channels == 2) {
        const int64_t away = channel == 0 ? d.pan - 32768 : 32768 - d.pan;
        if (away > 0) gain = gain * (32768 - std::min<int64_t>(away, 32768)) / 32768;
    }
    return static_cast<int32_t>(gain);
}

void ApplyVolume(const SdlTrackDevice& d, uint8_t* stream, uint32_t bytes) {
    const TavikSoundTrack& t = *d.track;
    if (d.volume == 65535 && d.pan == 32768 && g_masterVolume == 100) return;
    const int channels = t.IsStereo ? 2 : 1;
    const int32_t gains[2] = {ChannelGain(d, 0, channels), ChannelGain(d, 1, channels)};
    if (t.Is16Bit) {
        for (uint32_t i = 0; i + 1 < bytes; i += 2) {
            int16_t sample;
            std::memcpy(&sample, stream + i, 2);
            sample = static_cast<int16_t>(int64_t{sample} * gains[(i / 2) % channels] / 65536);
            std::memcpy(stream + i, &sample, 2);
        }
    } else {
        for (uint32_t i = 0; i < bytes; ++i) {
            const int32_t centred = stream[i] - 128;
            stream[i] = static_cast<uint8_t>(128 + int64_t{centred} * gains[i % channels] / 65536);
        }
    }
}

void SDLCALL FillRequest(void* userdata, Uint8* stream, int length) {
    auto* d = static_cast<SdlTrackDevice*>(userdata);
    TavikSoundTrack& t = *d->track;
    const auto wanted = static_cast<uint32_t>(std::max(length, 0));
    uint32_t count = std::min(LoadBufUsed(t), wanted);
    count -= count % d->frameBytes;
    if (count != 0) {
        t.BufRead = CopyFromRing(stream, t.BufRead, t.BufStart, t.BufEnd, count);
        SubBufUsed(t, count);
    }
    if (count < wanted) {
        std::memset(stream + count, SilenceByte(t), wanted - count);
        if (d->fed) d->starved.store(true);
    }
    ApplyVolume(*d, stream, count);
    d->takenBefore += d->lastTaken;
    d->lastTaken = count;
    d->lastRequest = SDL_GetPerformanceCounter();
    if (count != 0) d->fed = true;
}

// The played position; the caller holds the device lock or the device is paused.
uint64_t PlayedNow(const SdlTrackDevice& d) {
    if (d.state != DeviceState::Playing) return d.takenBefore + d.lastTaken;
    const Uint64 ticks = SDL_GetPerformanceCounter() - d.lastRequest;
    const uint64_t bytes = ticks * d.track->BytesPerSecond / SDL_GetPerformanceFrequency();
    const uint64_t into = std::min<uint64_t>(bytes - bytes % d.frameBytes, d.lastTaken);
    return d.takenBefore + into;
}

// Pauses the device and keeps the position it reached.
void Pause(SdlTrackDevice& d) {
    SDL_PauseAudioDevice(d.device, 1);
    d.takenBefore = PlayedNow(d);
    d.lastTaken = 0;
}

void ServiceTrack(TavikSoundTrack& t) {
    SdlTrackDevice* d = DeviceOf(&t);
    if (d == nullptr || d->state == DeviceState::Stopped) return;
    if (d->starved.exchange(false)) t.Underrun = 1;
    if (d->state != DeviceState::Waiting) return;
    const uint32_t used = LoadBufUsed(t);
    if (used == 0) return;
    const Uint32 now = SDL_GetTicks();
    if (d->waitingSince == 0) d->waitingSince = now == 0 ? 1 : now;
    if (used < d->requestBytes && now - d->waitingSince < kStartWaitMs) return;
    d->lastRequest = SDL_GetPerformanceCounter();
    d->state = DeviceState::Playing;
    d->waitingSince = 0;
    SDL_PauseAudioDevice(d->device, 0);
}

void Service() {
    for (TavikSoundTrack* t = g_tracks; t != nullptr; t = t->NextTrack) ServiceTrack(*t);
}

// SDL's request size: a power of two of sample frames near a twentieth of a second, and no more
// than a quarter of the ring, so that the ring always holds a few requests ahead.
Uint16 RequestFrames(const TavikSoundTrack& t, uint32_t frameBytes) {
    const uint32_t limit = std::min(t.SampleRate / 20, t.BufSize / 4 / frameBytes);
    uint32_t frames = 256;
    while (frames * 2 <= limit && frames < 4096) frames *= 2;
    return static_cast<Uint16>(frames);
}

bool Open(TavikSoundTrack* t, uint32_t) {
    if (t->BytesPerSecond == 0 || t->SampleRate == 0) return false;
    std::unique_ptr<SdlTrackDevice> d(new (std::nothrow) SdlTrackDevice);
    if (!d) return false;
    d->track = t;
    d->frameBytes = SampleFrameBytes(*t);
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(t->SampleRate);
    want.format = t->Is16Bit ? AUDIO_S16LSB : AUDIO_U8;
    want.channels = t->IsStereo ? 2 : 1;
    want.samples = RequestFrames(*t, d->frameBytes);
    want.callback = FillRequest;
    want.userdata = d.get();
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device takes, so the callback always
    // sees the track's own format.
    d->device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (d->device == 0) {
        SoundDebugLine("Unable to open SDL sound device\r\n");
        return false;
    }
    d->requestBytes = have.size != 0 ? have.size : want.samples * d->frameBytes;
    SoundDebugLine("Using SDL sound\r\n");
    t->Backend = d.release();
    t->NextTrack = g_tracks;
    g_tracks = t;
    return true;
}

void Stop(TavikSoundTrack* t) {
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr || d->state == DeviceState::Stopped) return;
    Pause(*d);
    d->state = DeviceState::Stopped;
}

bool Restart(TavikSoundTrack* t) {
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr) return false;
    if (d->state == DeviceState::Stopped) {
        d->state = DeviceState::Waiting;
        d->waitingSince = 0;
    }
    return true;
}

// The common scale: volume 0 to 65535 (full), pan 0 (left) to 65535 (right), 32768 centre.
void VolumePan(TavikSoundTrack* t, int32_t volume, int32_t pan) {
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr) return;
    SDL_LockAudioDevice(d->device);
    d->volume = std::clamp(volume, 0, 65535);
    d->pan = std::clamp(pan, 0, 65535);
    SDL_UnlockAudioDevice(d->device);
}

uint32_t Position(TavikSoundTrack* t) {
    Service();
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr) return 0;
    SDL_LockAudioDevice(d->device);
    const uint64_t played = PlayedNow(*d);
    SDL_UnlockAudioDevice(d->device);
    return static_cast<uint32_t>(played);
}

void Reset(TavikSoundTrack* t) {
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr) return;
    SDL_PauseAudioDevice(d->device, 1);
    d->takenBefore = 0;
    d->lastTaken = 0;
    d->fed = false;
    d->starved.store(false);
    if (d->state == DeviceState::Playing) d->state = DeviceState::Waiting;
    d->waitingSince = 0;
}

void Close(TavikSoundTrack* t) {
    for (TavikSoundTrack** link = &g_tracks; *link != nullptr; link = &(*link)->NextTrack) {
        if (*link == t) {
            *link = t->NextTrack;
            break;
        }
    }
    t->NextTrack = nullptr;
    SdlTrackDevice* d = DeviceOf(t);
    if (d == nullptr) return;
    SDL_CloseAudioDevice(d->device);  // waits for a running callback
    delete d;
    t->Backend = nullptr;
}

const SoundBackend kSdlSound = {Open, Stop, Restart, VolumePan, Position, Reset, Close, Service};

// A sound device exists when SDL's audio starts and does not report zero output devices (a
// driver that cannot count them answers -1 and is tried).
bool SdlSoundAvailable() {
    static const bool available =
        SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && SDL_GetNumAudioDevices(0) != 0;
    return available;
}

const SoundBackend& SdlSoundTable() {
    return kSdlSound;
}

}  // namespace

void SetSdlVolume(int32_t percent) {
    g_masterVolume = std::clamp(percent, 0, 100);
}

void RegisterSdlSound() {
    RegisterDefaultSoundBackend(SdlSoundAvailable, SdlSoundTable);
}

}  // namespace tavik
