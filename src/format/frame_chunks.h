// Where a frame's palette, sound and video chunks lie. A frame holds, in this order: a palette
// chunk when type bit 0 is set (its first byte times 4 is its length), an audio chunk for each
// track t whose type bit t + 1 is set (a 32-bit length that counts the whole chunk; compressed
// tracks follow it with the 32-bit number of bytes the chunk decodes to), then the video chunk
// to the frame's end.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

// What is wrong with a frame's chunks: a chunk whose length runs past the frame's end makes the
// frame malformed, and that chunk and every one after it, the video chunk included, are dropped.
enum class ChunkDamage : uint8_t { kNone, kPalette, kSound };

// Chunk positions as offsets from the frame's first byte.
struct FrameLayout {
    static constexpr uint32_t kAbsent = UINT32_MAX;
    bool paletteFits = false;  // the palette chunk (at the frame's start) is sound
    uint32_t audioAt[TAVIK_MAX_TRACKS];
    uint32_t audioLength[TAVIK_MAX_TRACKS] = {};    // the whole chunk
    uint32_t audioUnpacked[TAVIK_MAX_TRACKS] = {};  // compressed: the announced bytes
    uint32_t videoAt = 0, videoSize = 0;
    ChunkDamage damage = ChunkDamage::kNone;
    int damagedTrack = -1;  // the sound chunk that ran past the frame

    FrameLayout() {
        for (uint32_t& at : audioAt) at = kAbsent;
    }
};

// Walks the chunk headers of a frame of `size` bytes whose type byte is `type`, reading only the
// headers through `peek(offset, bytes, destination)` (false when they cannot be read, which
// counts as damage).
template <typename Peek>
FrameLayout WalkFrameChunks(uint32_t size, uint8_t type, const uint32_t* audioFormats,
                            Peek&& peek) {
    FrameLayout layout;
    uint32_t p = 0;
    auto damaged = [&](ChunkDamage kind, int track) {
        layout.damage = kind;
        layout.damagedTrack = track;
        layout.videoAt = size;
        layout.videoSize = 0;
        return layout;
    };
    if (type & 1) {
        uint8_t first = 0;
        const uint32_t length = size > 0 && peek(0, &first, 1) ? uint32_t{first} * 4 : 0;
        if (length == 0 || length > size) return damaged(ChunkDamage::kPalette, -1);
        layout.paletteFits = true;
        p = length;
    }
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if (!(type & (2u << t))) continue;
        const bool compressed = audioFormats[t] & TAVIK_AUDIO_COMPRESSED;
        const uint32_t least = compressed ? 8 : 4;
        const uint32_t left = size - p;
        uint8_t head[8] = {};
        if (left < least || !peek(p, head, least)) return damaged(ChunkDamage::kSound, t);
        const uint32_t length = uint32_t{head[0]} | uint32_t{head[1]} << 8 |
                                uint32_t{head[2]} << 16 | uint32_t{head[3]} << 24;
        if (length < least || length > left) return damaged(ChunkDamage::kSound, t);
        layout.audioAt[t] = p;
        layout.audioLength[t] = length;
        layout.audioUnpacked[t] = compressed ? (uint32_t{head[4]} | uint32_t{head[5]} << 8 |
                                                uint32_t{head[6]} << 16 | uint32_t{head[7]} << 24)
                                             : length - 4;
        p += length;
    }
    layout.videoAt = p;
    layout.videoSize = size - p;
    return layout;
}

struct FrameChunks {
    bool paletteFits = false;  // the palette chunk (at the frame's start) is sound
    const uint8_t* audio[TAVIK_MAX_TRACKS] = {};  // each track's chunk at its length word, or null
    const uint8_t* video = nullptr;               // the video chunk
    uint32_t videoSize = 0;                       // its bytes, to the frame's end
    ChunkDamage damage = ChunkDamage::kNone;
    int damagedTrack = -1;
};

// The same for a frame held whole in memory.
FrameChunks LocateFrameChunks(const uint8_t* frame, uint32_t size, uint8_t type,
                              const uint32_t* audioFormats);

}  // namespace tavik
