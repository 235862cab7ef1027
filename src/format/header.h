// The movie header and the layout it implies: magic, frame time, frame counts, where the tables,
// the tree block and the frames lie, the track formats, and whether the header is within the
// limits of format/limits.h.
#pragma once

#include <cstdint>
#include <string>

#include "format/limits.h"
#include "tavik/movie.h"

namespace tavik {

// The first four bytes of a movie are "TVK2".
bool HasMovieMagic(const void* bytes);

// The header's FrameRate field as 10-microsecond ticks: milliseconds times 100 when positive,
// the negated value when negative, 0 for as fast as possible.
uint32_t FrameTimeTicks(int32_t frameRate);

// Frames including the ring frame.
inline uint32_t FrameTotalOf(const TavikHeader& h) {
    return h.FrameCount + (h.Flags & TavikFlagRingFrame);
}
// Offsets from the movie's first byte: the frame type table, the tree block and frame 0.
inline uint64_t TypeTableOffset(const TavikHeader& h) {
    return TAVIK_HEADER_SIZE + 4ull * FrameTotalOf(h);
}
inline uint64_t TreeBlockOffset(const TavikHeader& h) {
    return TAVIK_HEADER_SIZE + 5ull * FrameTotalOf(h);
}
inline uint64_t FrameDataOffset(const TavikHeader& h) {
    return TreeBlockOffset(h) + h.TreeBlockSize;
}
// Bytes of the built trees: the fixed part and the four tree sizes.
uint64_t TreeMemoryBytes(const TavikHeader& h);

// Empty when the header is within the limits; else what is wrong, naming the limit. Does not
// look at the magic.
std::string HeaderProblem(const TavikHeader& h);

// A sound track's format word, taken apart.
struct TrackFormat {
    bool present = false;  // the present bit is set and the rate is not 0
    bool compressed = false;
    uint32_t rate = 0, channels = 1, bits = 8;

    uint32_t SampleFrameBytes() const { return channels * bits / 8; }
    uint32_t BytesPerSecond() const { return rate * SampleFrameBytes(); }
};
TrackFormat DescribeTrack(uint32_t formatWord);
// The format word of a present track.
uint32_t TrackFormatWord(uint32_t rate, bool stereo, bool is16Bit, bool compressed);

}  // namespace tavik
