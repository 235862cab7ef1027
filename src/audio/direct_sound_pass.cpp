#include "audio/direct_sound_pass.h"

#include <algorithm>
#include <cmath>

#include "audio/output_volume.h"
#include "audio/sound_ring.h"

namespace tavik {

namespace {

constexpr int32_t kNoTrailingSilence = -1;

uint32_t Wrap(uint64_t offset, uint32_t size) {
    return static_cast<uint32_t>(offset >= size ? offset - size : offset);
}

// Whether the cursor lies in the trailing silence, which may wrap past the buffer's end.
bool InTrailingSilence(uint32_t cursor, const DsTrackState& s) {
    const auto dataEnd = static_cast<uint32_t>(s.DsDataEnd);
    if (s.DsSilenceEnd >= dataEnd) return cursor >= dataEnd && cursor < s.DsSilenceEnd;
    return cursor >= dataEnd || cursor < s.DsSilenceEnd;
}

// Copies up to `count` ring bytes into a locked part; the bytes copied.
uint32_t CopyRingInto(TavikSoundTrack& track, uint8_t* part, uint32_t partSize, uint32_t count) {
    const uint32_t n = std::min(partSize, count);
    if (n == 0 || part == nullptr) return 0;
    track.BufRead = CopyFromRing(part, track.BufRead, track.BufStart, track.BufEnd, n);
    ApplyOutputVolume(track, part, n);
    SubBufUsed(track, n);
    return n;
}

void WriteSound(TavikSoundTrack& track, DsTrackState& s, DsBufferCalls& buffer, uint32_t at,
                uint32_t free, uint32_t used) {
    const uint32_t n = std::min(free, used) & ~3u;
    DsLockedParts parts;
    if (n == 0 || !buffer.Lock(at, n, &parts)) return;
    const uint32_t first = CopyRingInto(track, parts.first, parts.firstSize, n);
    const uint32_t second = CopyRingInto(track, parts.second, parts.secondSize, n - first);
    buffer.Unlock(parts);
    const uint32_t written = first + second;
    s.DsWriteOffset = Wrap(uint64_t{at} + written, s.DsSize);
    s.DsWritten += written;
    s.DsFree -= written;
}

// The ring holds at most 3 bytes: they go in, followed by a quarter of the buffer of silence.
void WriteTail(TavikSoundTrack& track, DsTrackState& s, DsBufferCalls& buffer, uint32_t at,
               uint32_t used) {
    const uint32_t size = s.DsSize / 4 + used;
    DsLockedParts parts;
    if (!buffer.Lock(at, size, &parts)) return;
    const uint32_t first = CopyRingInto(track, parts.first, parts.firstSize, used);
    const uint32_t second = CopyRingInto(track, parts.second, parts.secondSize, used - first);
    const uint8_t silence = SilenceByte(track);
    if (parts.first != nullptr)
        std::fill(parts.first + first, parts.first + parts.firstSize, silence);
    if (parts.second != nullptr)
        std::fill(parts.second + second, parts.second + parts.secondSize, silence);
    buffer.Unlock(parts);
    const uint32_t k = first + second;
    s.DsWriteOffset = Wrap(uint64_t{at} + k, s.DsSize);
    s.DsWritten += k;
    s.DsFree -= k;
    s.DsDataEnd = static_cast<int32_t>(s.DsWriteOffset);
    s.DsSilenceEnd = Wrap(uint64_t{at} + size, s.DsSize);
    track.Underrun = 1;
}

// The table of attenuations: T[0] silence, T[i] = 2000 log10(i / 127) rounded.
const int32_t* VolumeTable() {
    static const auto table = [] {
        struct Table {
            int32_t values[128];
        } t{};
        t.values[0] = -10000;
        for (int i = 1; i < 128; ++i)
            t.values[i] = static_cast<int32_t>(std::lround(2000.0 * std::log10(i / 127.0)));
        return t;
    }();
    return table.values;
}

}  // namespace

uint32_t DirectSoundBufferSize(uint32_t bytesPerSecond) {
    const uint64_t half = bytesPerSecond / 2;
    return static_cast<uint32_t>(std::min<uint64_t>((half + 4095) & ~uint64_t{4095}, 0x7FFFF000u));
}

void DirectSoundTrackPass(TavikSoundTrack& track, DsTrackState& s, DsBufferCalls& buffer) {
    if (s.DsSize == 0) return;
    uint32_t at = 0;
    uint32_t free = s.DsSize;
    if (s.DsStopped) {
        s.DsDataEnd = kNoTrailingSilence;
    } else {
        uint32_t cursor = s.DsLastPlay;
        if (!buffer.PlayCursor(&cursor) || cursor >= s.DsSize) cursor = s.DsLastPlay;
        bool stop = s.DsDataEnd != kNoTrailingSilence && InTrailingSilence(cursor, s);
        if (!stop) {
            const uint32_t moved =
                cursor >= s.DsLastPlay ? cursor - s.DsLastPlay : cursor + s.DsSize - s.DsLastPlay;
            s.DsLastPlay = cursor;
            const uint64_t freed = uint64_t{s.DsFree} + moved;
            stop = freed >= s.DsSize;  // everything written has played
            free = static_cast<uint32_t>(std::min<uint64_t>(freed, s.DsSize));
            at = s.DsWriteOffset;
        }
        if (stop) {
            track.Underrun = 1;
            buffer.StopAndRewind();
            s.DsStopped = 1;
            at = 0;
            free = s.DsSize;
            s.DsDataEnd = kNoTrailingSilence;
        }
    }

    s.DsFree = free;
    if (free > s.DsSize / 4 && s.DsDataEnd == kNoTrailingSilence) {
        const uint32_t used = LoadBufUsed(track);
        if (used > 3) {
            WriteSound(track, s, buffer, at, free, used);
        } else {
            if (s.DsStopped) return;  // a stopped buffer is not started without sound
            if (free > s.DsSize * 4 / 5) WriteTail(track, s, buffer, at, used);
        }
    }

    if (s.DsStopped) {
        buffer.Play();
        s.DsStopped = 0;
        s.DsLastPlay = 0;
    }
}

uint32_t DirectSoundPlayed(DsTrackState& s, bool hasBuffer, uint32_t now, uint32_t bytesPerSecond) {
    int64_t written = s.DsWritten;
    if (hasBuffer) written -= int64_t{s.DsSize} - s.DsFree;
    uint32_t position = static_cast<uint32_t>(std::max<int64_t>(written, 0));
    if (position == s.DsLastPos && s.DsLastPos != 0) {
        const uint64_t moved = uint64_t{now - s.DsLastPosTime} * bytesPerSecond / 1000;
        position = static_cast<uint32_t>(std::min<uint64_t>(s.DsLastPos + moved, s.DsWritten));
    } else {
        s.DsLastPos = position;
        s.DsLastPosTime = now;
    }
    if (position < s.DsMaxPos) return s.DsMaxPos;
    s.DsMaxPos = position;
    return position;
}

void DirectSoundResetState(DsTrackState& s) {
    s.DsStopped = 1;
    s.DsDataEnd = kNoTrailingSilence;
    s.DsLastPos = 0;
    s.DsMaxPos = 0;
    s.DsWritten = 0;
}

int32_t DirectSoundVolumeValue(int32_t volume) {
    const int32_t v = std::clamp(volume, 0, 32768);
    return VolumeTable()[v * 127 / 32768];
}

int32_t DirectSoundPanValue(int32_t pan) {
    const int32_t p = pan < 0 ? 0 : pan <= 65535 ? pan * 127 / 65535 : 127;
    if (p < 64) return VolumeTable()[2 * p];
    if (p == 64) return 0;
    return -VolumeTable()[254 - 2 * p];
}

}  // namespace tavik
