#include "audio/headless_backend.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <string>

#include "audio/output_volume.h"
#include "audio/sound_debug.h"
#include "audio/sound_ring.h"
#include "audio/wav_writer.h"
#include "tavik/sound.h"
#include "tavik/system.h"

namespace tavik {
namespace {

// The device model: bytes handed over are counted in `queued`; once fed, the device plays
// continuously at BytesPerSecond from the moment a run began, until it has played everything it
// was given. Played bytes are whole sample frames. A block is free again once played through.
struct HeadlessDevice {
    bool open = false;     // acquired: from SoundOpen or SoundRestart to SoundStop
    bool running = false;  // fed at least once since it was acquired or reset
    uint32_t blockSize = 0;
    uint32_t frameBytes = 1;
    std::unique_ptr<uint8_t[]> blockData;  // two blocks of blockSize bytes
    struct Block {
        uint64_t start;  // offset of its first byte in the queued count
        uint32_t bytes;
    } blocks[2] = {};
    uint32_t head = 0;       // the block playing now
    uint32_t pending = 0;    // blocks not yet played through
    uint64_t queued = 0;     // bytes handed over since acquired or reset
    uint64_t accounted = 0;  // bytes known to be played (and recorded when capturing)
    uint32_t runStartMs = 0;
    uint64_t runStartPlayed = 0;
    int32_t volume = 65535;
    int32_t pan = 32768;
    WavWriter capture;
};

TavikSoundTrack* g_tracks = nullptr;  // open tracks, newest first, through NextTrack
std::string g_capturePath;
bool g_capturePending = false;

HeadlessDevice* DeviceOf(const TavikSoundTrack* track) {
    return static_cast<HeadlessDevice*>(track->Backend);
}

uint32_t Now() {
    const TavikSystem* system = TavikGetSystem();
    return system->Milliseconds(system->Context);
}

uint64_t PlayedAt(const HeadlessDevice& device, const TavikSoundTrack& track, uint32_t now) {
    if (!device.running) return device.queued;
    const uint64_t elapsed = static_cast<uint32_t>(now - device.runStartMs);
    uint64_t bytes = elapsed * track.BytesPerSecond / 1000;
    bytes -= bytes % device.frameBytes;
    return std::min(device.queued, device.runStartPlayed + bytes);
}

// Milliseconds into the current run at which the device has played everything it was given.
uint64_t DryAfter(const HeadlessDevice& device, const TavikSoundTrack& track) {
    const uint64_t bytes = device.queued - device.runStartPlayed;
    return (bytes * 1000 + track.BytesPerSecond - 1) / track.BytesPerSecond;
}

// Brings the device up to `now`: records what was played since the last look and frees the
// blocks played through.
void CatchUp(HeadlessDevice& device, const TavikSoundTrack& track, uint32_t now) {
    const uint64_t played = PlayedAt(device, track, now);
    while (device.pending) {
        const HeadlessDevice::Block& block = device.blocks[device.head];
        const uint64_t end = block.start + block.bytes;
        const uint64_t from = std::max(device.accounted, block.start);
        const uint64_t to = std::min(played, end);
        if (to > from)
            device.capture.Append(
                device.blockData.get() + device.head * device.blockSize + (from - block.start),
                static_cast<uint32_t>(to - from));
        if (end > played) break;
        device.head ^= 1;
        --device.pending;
    }
    device.accounted = played;
}

// Hands the device what it has room for: whole blocks of whole sample frames.
void Feed(HeadlessDevice& device, TavikSoundTrack& track, uint32_t now) {
    while (device.pending < 2) {
        uint32_t count = std::min(LoadBufUsed(track), device.blockSize);
        count -= count % device.frameBytes;
        if (!count) return;
        const uint32_t slot = device.head ^ device.pending;
        uint8_t* block = device.blockData.get() + slot * device.blockSize;
        track.BufRead = CopyFromRing(block, track.BufRead, track.BufStart, track.BufEnd, count);
        ApplyOutputVolume(track, block, count);
        SubBufUsed(track, count);
        if (!device.pending) {  // idle: a new run begins now
            device.running = true;
            device.runStartMs = now;
            device.runStartPlayed = device.queued;
        }
        device.blocks[slot] = {device.queued, count};
        device.queued += count;
        ++device.pending;
    }
}

void ServiceTrack(TavikSoundTrack& track, uint32_t now) {
    HeadlessDevice* device = DeviceOf(&track);
    if (!device || !device->open) return;
    CatchUp(*device, track, now);
    // An underrun is a real gap: the device has been silent for at least a millisecond after
    // playing all it had. A device that was never fed is waiting, not starved.
    if (device->running && !device->pending &&
        static_cast<uint32_t>(now - device->runStartMs) > DryAfter(*device, track))
        track.Underrun = 1;
    Feed(*device, track, now);
}

void Service() {
    const uint32_t now = Now();
    for (TavikSoundTrack* track = g_tracks; track; track = track->NextTrack)
        ServiceTrack(*track, now);
}

// Drops what the device holds but has not played; the played count stays.
void Release(HeadlessDevice& device, const TavikSoundTrack& track) {
    if (!device.open) return;
    CatchUp(device, track, Now());
    device.queued = device.accounted;
    device.pending = 0;
    device.running = false;
    device.open = false;
}

void StartCapture(HeadlessDevice& device, const TavikSoundTrack& track) {
    if (!g_capturePending) return;
    g_capturePending = false;
    if (!device.capture.Open(g_capturePath.c_str(), track.IsStereo ? 2 : 1, track.SampleRate,
                             track.Is16Bit ? 16 : 8))
        SoundDebugLine("Unable to create sound capture file - error #: ", errno);
}

bool Open(TavikSoundTrack* track, uint32_t) {
    if (!track->BytesPerSecond) return false;
    std::unique_ptr<HeadlessDevice> device(new (std::nothrow) HeadlessDevice);
    if (!device) return false;
    device->blockSize = HeadlessBlockSize(track->BytesPerSecond);
    device->frameBytes = SampleFrameBytes(*track);
    device->blockData.reset(new (std::nothrow) uint8_t[2 * device->blockSize]);
    if (!device->blockData) return false;
    SoundDebugLine("Using headless sound\r\n");
    StartCapture(*device, *track);
    device->open = true;
    track->Backend = device.release();
    track->NextTrack = g_tracks;
    g_tracks = track;
    return true;
}

void Stop(TavikSoundTrack* track) {
    if (HeadlessDevice* device = DeviceOf(track)) Release(*device, *track);
}

bool Restart(TavikSoundTrack* track) {
    HeadlessDevice* device = DeviceOf(track);
    if (!device) return false;
    device->open = true;
    return true;
}

// The common scale: volume 0 to 65535 (full), pan 0 (left) to 65535 (right), 32768 centre. The
// simulated device only keeps them.
void VolumePan(TavikSoundTrack* track, int32_t volume, int32_t pan) {
    if (HeadlessDevice* device = DeviceOf(track)) {
        device->volume = std::clamp(volume, 0, 65535);
        device->pan = std::clamp(pan, 0, 65535);
    }
}

uint32_t Position(TavikSoundTrack* track) {
    Service();
    const HeadlessDevice* device = DeviceOf(track);
    if (!device) return 0;
    return static_cast<uint32_t>(PlayedAt(*device, *track, Now()));
}

void Reset(TavikSoundTrack* track) {
    HeadlessDevice* device = DeviceOf(track);
    if (!device) return;
    if (device->open) CatchUp(*device, *track, Now());
    device->pending = 0;
    device->queued = 0;
    device->accounted = 0;
    device->running = false;
}

void Close(TavikSoundTrack* track) {
    for (TavikSoundTrack** link = &g_tracks; *link; link = &(*link)->NextTrack) {
        if (*link == track) {
            *link = track->NextTrack;
            break;
        }
    }
    track->NextTrack = nullptr;
    HeadlessDevice* device = DeviceOf(track);
    if (!device) return;
    Release(*device, *track);
    device->capture.Finish();
    delete device;
    track->Backend = nullptr;
}

const SoundBackend kHeadless = {Open, Stop, Restart, VolumePan, Position, Reset, Close, Service};

}  // namespace

const SoundBackend& HeadlessBackend() {
    return kHeadless;
}

uint32_t HeadlessBlockSize(uint32_t bytesPerSecond) {
    const uint32_t quarter = bytesPerSecond / 4;
    return std::max(4096u, (quarter + 4095) / 4096 * 4096);
}

uint32_t HeadlessQueuedBlocks(const TavikSoundTrack* track) {
    const HeadlessDevice* device = DeviceOf(track);
    return device ? device->pending : 0;
}

}  // namespace tavik

extern "C" void HeadlessSoundCapture(const char* path) {
    tavik::g_capturePending = path != nullptr;
    tavik::g_capturePath = path ? path : "";
}
