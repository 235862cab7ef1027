// Moving bytes into and out of a sound ring, and the fill count shared with the device side.
#pragma once

#include <cstdint>

#include "audio/sound_track.h"

namespace tavik {

// Copies `count` bytes from the ring starting at `read` into `destination`, continuing at
// `ringStart` whenever `ringEnd` is reached. Returns the new read position: a copy that ends
// exactly at `ringEnd` returns `ringStart`.
uint8_t* CopyFromRing(uint8_t* destination, uint8_t* read, uint8_t* ringStart, uint8_t* ringEnd,
                      uint32_t count);

// Copies `count` bytes into the ring at `write`, continuing at `ringStart`; the new position.
uint8_t* CopyIntoRing(uint8_t* write, const uint8_t* source, uint8_t* ringStart, uint8_t* ringEnd,
                      uint32_t count);

// Writes `count` bytes of `value` into the ring at `write`, continuing at `ringStart`.
uint8_t* FillRing(uint8_t* write, uint8_t value, uint8_t* ringStart, uint8_t* ringEnd,
                  uint32_t count);

// The silence byte of a track: 0x80 for 8-bit samples, 0 for 16-bit.
inline uint8_t SilenceByte(const TavikSoundTrack& track) {
    return track.Is16Bit ? 0x00 : 0x80;
}

// Bytes of one sample frame (one sample of every channel): 1, 2 or 4.
inline uint32_t SampleFrameBytes(const TavikSoundTrack& track) {
    return (track.IsStereo ? 2u : 1u) * (track.Is16Bit ? 2u : 1u);
}

// `pointer` moved forward by `count` bytes inside the ring (count at most the ring's size).
inline uint8_t* RingAdvance(uint8_t* pointer, uint32_t count, const TavikSoundTrack& track) {
    const uint32_t toEnd = static_cast<uint32_t>(track.BufEnd - pointer);
    return count < toEnd ? pointer + count : track.BufStart + (count - toEnd);
}

// BufUsed is shared with a device service that may run on another thread: each change is one
// atomic addition or subtraction so that neither side loses the other's update. The compiler's
// atomic builtins work on the plain field on every target, where std::atomic_ref is missing from
// some C++ libraries (WebAssembly's among them).
inline void AddBufUsed(TavikSoundTrack& track, uint32_t count) {
    __atomic_fetch_add(&track.BufUsed, count, __ATOMIC_SEQ_CST);
}
inline void SubBufUsed(TavikSoundTrack& track, uint32_t count) {
    __atomic_fetch_sub(&track.BufUsed, count, __ATOMIC_SEQ_CST);
}
inline uint32_t LoadBufUsed(const TavikSoundTrack& track) {
    return __atomic_load_n(&track.BufUsed, __ATOMIC_SEQ_CST);
}
inline void StoreBufUsed(TavikSoundTrack& track, uint32_t count) {
    __atomic_store_n(&track.BufUsed, count, __ATOMIC_SEQ_CST);
}

}  // namespace tavik
