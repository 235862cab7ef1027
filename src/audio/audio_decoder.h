// Decoding one compressed audio chunk: delta PCM whose deltas are Huffman-coded bytewise with
// byte trees carried at the head of every chunk.
#pragma once

#include <cstdint>

namespace tavik {

// The process-wide work area for the byte trees of one chunk: tree i at 2048 x i.
constexpr uint32_t kAudioTreeAreaSize = 8192;

// Decodes the chunk's bit stream (`source`, `sourceSize` bytes: the chunk from its ninth byte on)
// into a sound ring, writing at most `size` bytes from `write` on and continuing at `ringStart`
// whenever `ringEnd` is reached. The chunk's own format bits decide the sample frame f (1, 2 or 4
// bytes); whole sample frames are written, size / f of them (at most a ring's worth).
//
// Returns the bytes of sound written, always a multiple of f:
// - size (at most the ring's size) rounded down to f for a whole stream;
// - 0 when the data bit is 0, a byte tree is broken (more than 512 entries, or cut off), or the
//   arguments do not describe a ring with `write` inside it;
// - fewer when the stream runs out before the last sample frame: frames that would need bits
//   beyond the chunk are not written.
// The caller decides what fills the announced bytes that were not written. Nothing outside the
// stream, the tree area and the ring is touched.
uint32_t DecodeAudio(const uint8_t* source, uint32_t sourceSize, uint32_t size, uint8_t* treeArea,
                     uint8_t* ringStart, uint8_t* ringEnd, uint8_t* write);

}  // namespace tavik
