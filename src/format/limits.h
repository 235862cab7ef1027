// The limits of the movies this system reads and writes, in one place. The engine, the embedding
// decoder, the encoder and the tools all check against these, so that every movie one of them
// writes the others open, and a damaged header never leads to an absurd allocation.
#pragma once

#include <cstdint>

namespace tavik {

struct FormatLimits {
    // Width and stored height: at least one pixel, at most this many (a 16384 x 16384 picture is
    // 256 MiB of indices, far above any display; it keeps every row and block count small).
    static constexpr uint32_t kMaxSide = 16384;
    // Frames, the ring frame included: the two tables (5 bytes a frame) stay below 80 MiB and
    // every table offset fits 32 bits.
    static constexpr uint32_t kMaxFrameTotal = 1u << 24;
    // Bytes of all frames together: frame offsets and the preload buffer fit 32 bits.
    static constexpr uint32_t kMaxFrameBytes = 0xFFFFFF00u;
    // A movie ends within the first 4 GiB of its file (self-playing programs carry theirs at an
    // offset): file positions are 32-bit.
    static constexpr uint64_t kMaxMovieEnd = 0xFFFFFFFFu;
    // Built tree memory (fixed part plus the four tree sizes) stays below this: the trees' lookup
    // entries hold 24-bit offsets into it. The tree block in the file is no longer than this.
    static constexpr uint32_t kMaxTreeMemory = 1u << 24;
    // Frame time in 10-microsecond ticks: at most one hour a frame, so that the pacing clock's
    // sums and differences never wrap (0 is "as fast as possible").
    static constexpr uint32_t kMaxFrameTime = 360000000;
    // Sample rates are 24-bit fields.
    static constexpr uint32_t kMaxSampleRate = 0xFFFFFF;
    // Bytes one compressed sound chunk may decode to: about 24 seconds of 16-bit stereo at
    // 44.1 kHz, far more than any frame carries. Larger announcements are damage.
    static constexpr uint32_t kMaxSoundChunk = 4u << 20;
};

// The encoder holds every frame of a movie in memory at once (pictures and their plans), so it
// takes pictures of at most this many pixels: 8192 x 8192, far above any display.
struct EncoderLimits {
    static constexpr uint64_t kMaxPixels = 1ull << 26;
};

}  // namespace tavik
