// Test movies for the encoder's tests, and what the engine's own tree readers tell of them.
#pragma once

#include <algorithm>
#include <array>

#include "encoder/encoder.h"
#include "support/movie_chunks.h"
#include "video/value_decoder.h"

namespace tavik::enc::test {

// Stored exactly (every component survives the 6-bit store).
inline Palette Ramp(int turn = 0) {
    Palette p{};
    for (int i = 0; i < 256; ++i) {
        p[3 * i] = QuantizeComponent(static_cast<uint8_t>(i));
        p[3 * i + 1] = QuantizeComponent(static_cast<uint8_t>(255 - i));
        p[3 * i + 2] = QuantizeComponent(static_cast<uint8_t>(i * 3 + turn * 40));
    }
    return p;
}

// Frames that hold every block type (a solid background, a two-colour checker that moves, a
// noisy patch), runs that cross block rows (a band of one colour two block rows high), a frame
// that repeats the previous one (frame 3: skip blocks only), and a palette change in frame 2 over
// blocks that do not change (which a 16-bit destination only shows when they are redrawn).
inline MovieSpec SceneMovie(uint32_t w, uint32_t h, uint32_t frames = 5) {
    MovieSpec plan;
    plan.width = w;
    plan.height = h;
    for (uint32_t t = 0, seed = 1; t < frames; ++t) {
        Frame frame;
        frame.pixels.assign(size_t{w} * h, 20);
        for (uint32_t y = 0; y < h; ++y) {
            for (uint32_t x = 0; x < w; ++x) {
                uint8_t& px = frame.pixels[size_t{y} * w + x];
                if (y >= 8 && y < 16) {
                    px = static_cast<uint8_t>(30 + t);
                } else if (y >= 20 && y < 28 && x >= t * 4 && x < t * 4 + 40) {
                    px = (x ^ y) & 2 ? 70 : 71;
                } else if (y >= 32 && y < 40 && x < 24) {
                    seed = seed * 1103515245u + 12345u;
                    px = static_cast<uint8_t>(seed >> 16);
                }
            }
        }
        if (t == 3) frame.pixels = plan.frames[2].pixels;
        if (t == 0 || t == 2) frame.palette = Ramp(static_cast<int>(t));
        plan.frames.push_back(frame);
    }
    return plan;
}

// The type words of one frame's video chunk, by block type, walked with the engine's trees.
inline std::array<uint32_t, 4> TypeWords(tavik::test::MovieChunks& movie, size_t frame) {
    std::array<uint32_t, 4> counts{};
    ValueTrees trees;
    ResetRecentValues(movie.trees.data(), trees);
    VideoBitStream bits(movie.frames[frame].video, movie.frames[frame].videoSize);
    const uint64_t blocks = uint64_t{movie.width / 4} * (movie.height / 4);
    for (uint64_t n = 0; n < blocks && trees.tree[kTypeTree].present && !bits.Exhausted();) {
        const uint32_t word = DecodeValue(bits, trees.tree[kTypeTree], trees) >> 16;
        const uint32_t type = word & 3, index = word >> 2 & 63;
        ++counts[type];
        // Two-colour blocks hold a colour pair and a mask, full blocks eight pixel pairs.
        for (uint32_t i = 0; i < (index < 59 ? index + 1 : 128u << (index - 59)) && n < blocks;
             ++i, ++n) {
            for (uint32_t v = 0; v < (type == 0 ? 2u : type == 1 ? 8u : 0u); ++v) {
                ValueTree& tree = trees.tree[type == 1 ? kFullBlockTree : kColourTree - v];
                if (!tree.present) return counts;
                DecodeValue(bits, tree, trees);
            }
        }
    }
    return counts;
}

// Whether one of the tree's recent-value slots is a leaf of it rather than a spare entry.
inline bool HasRecentLeaf(const std::vector<uint8_t>& trees, uint32_t tree) {
    const uint32_t end = NodeArrayOffset(trees.data(), tree) + 4 * NodeCount(trees.data(), tree);
    const TreeRecord record = LoadTreeRecord(trees.data(), tree);
    return std::ranges::any_of(record.slots, [&](uint32_t slot) { return slot < end; });
}

}  // namespace tavik::enc::test
