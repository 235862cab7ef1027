// The record behind a TavikDecoder: everything of one open movie, owned by it alone, so that
// decoders on different threads share nothing. The engine's own seek (TavikSeek) keeps one of
// these beside a movie, made over the movie's tables, trees and bytes (decoder_internal.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "decoder/byte_source.h"
#include "format/limits.h"
#include "tavik/decoder.h"
#include "tavik/movie.h"
#include "video/dest.h"
#include "video/marker_runs.h"

namespace tavik {

// Blocks from the engine's aligned allocator.
struct AlignedFree {
    void operator()(void* block) const { TavikFree(block); }
};
template <typename T>
using AlignedBlock = std::unique_ptr<T, AlignedFree>;

// The picture and palette after a frame of the first pass, for seeking.
struct Snapshot {
    std::vector<uint8_t> pixels;
    std::array<uint8_t, 768> palette;
};

// Snapshots take at most this much memory, whatever the movie: the interval between them grows
// for movies whose pictures would pass it at the shortest interval.
constexpr uint64_t kSnapshotBudget = 64u << 20;
constexpr uint32_t kShortestSnapshotInterval = 8;

// One track's sound chunk, decoded for TavikDecoderReadSound.
struct DecodedChunk {
    uint32_t frame = UINT32_MAX;
    std::vector<uint8_t> bytes;
};

}  // namespace tavik

struct TavikDecoder {
    std::unique_ptr<tavik::ByteSource> source;
    TavikHeader header{};  // as stored: Height is the stored height
    TavikInfo info{};
    bool interlaced = false, doubled = false;
    std::vector<uint32_t> frameSizes;
    std::vector<uint8_t> frameTypes;
    std::vector<uint64_t> frameOffsets;  // in the source
    tavik::AlignedBlock<uint8_t> trees;
    tavik::AlignedBlock<TavikMarkerRuns> markerRuns;
    tavik::AlignedBlock<TavikDestDesc> dest;
    std::vector<uint8_t> frame;    // the frame being decoded, with 8 zero bytes behind it
    std::vector<uint8_t> picture;  // Width x Height indices, from the first frame on
    std::array<uint8_t, 768> palette{};
    std::vector<uint8_t> audioTrees;
    std::array<std::vector<uint8_t>, TAVIK_MAX_TRACKS> sound;

    bool looping = false;
    uint32_t soundTracks = 0x7F;  // bit t: hand out track t's sound
    uint32_t next = 0;            // the frame the next call decodes; FrameCount past the end
    bool firstPass = true;        // the picture is what play from the start shows at `next`
    uint32_t snapshotInterval = tavik::kShortestSnapshotInterval;
    // [i]: after frame (i + 1) * interval - 1; empty where play has not passed it.
    std::vector<tavik::Snapshot> snapshots;
    // [n]: each track's sound that frames 0 to n - 1 bring, as far as they are counted.
    std::vector<std::array<uint64_t, TAVIK_MAX_TRACKS>> soundOffsets;

    // Sound in playing order: each track's position, and the chunk it reads from.
    std::array<uint64_t, TAVIK_MAX_TRACKS> soundPosition{};
    std::array<tavik::DecodedChunk, TAVIK_MAX_TRACKS> soundChunk;
    // A sound chunk announcing more is left out (the format's limit, or what a memory limit
    // leaves for the sound buffers).
    uint32_t largestSoundChunk = tavik::FormatLimits::kMaxSoundChunk;

    uint64_t picturesDecoded = 0;  // video chunks decoded, for the benchmarks
};
