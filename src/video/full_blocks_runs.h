// Full blocks decoded through the marker-run table: a lookup may resolve a whole run of short
// recent-value codes, which is most of what smooth pictures code.
#pragma once

#include <algorithm>
#include <cstdint>

#include "video/marker_runs.h"
#include "video/slot_runs.h"
#include "video/tree_memory.h"
#include "video/trees.h"
#include "video/value_decoder.h"
#include "video/video_bit_stream.h"

namespace tavik {

// Full blocks are decoded a chunk at a time: first the chunk's values into a buffer (a lookup
// may yield a whole run of recent-value codes), then its pixels from the buffer.
constexpr uint32_t kChunkBlocks = 32;
constexpr uint32_t kChunkValues = 8 * kChunkBlocks;

// Decodes `need` full-block values into `values`, which has room for kMaxRunCodes - 1 more: a
// run entry writes all its places whatever its length. A run longer than the values still
// wanted yields only its first code, so that no bit of the next block's codes is taken.
[[gnu::always_inline]] inline void DecodeFullValues(VideoBitStream& bits, RegisterSlots& slots,
                                                    const uint8_t* const* slotEntries,
                                                    const uint8_t* base, const uint8_t* lookup,
                                                    const uint32_t* runs, uint16_t freeValue,
                                                    uint32_t* values, uint32_t need) {
    uint32_t i = 0;
    const auto step = [&]() __attribute__((always_inline)) {
        const uint32_t index = static_cast<uint32_t>(bits.Peek() & kWideLookupMask);
        const uint32_t found = runs[index];
        if (found & kRunFlag) {
            uint32_t codes = found >> 8 & 15;
            uint32_t taken = found & 15;
            uint32_t row = found >> 12 & 0xFFF;
            if (codes > need - i) [[unlikely]] {
                codes = 1;
                taken = Load32(lookup + 4 * index) & 0xFF;
                row = (found >> 24) * kEqualityPatterns;
            }
            bits.Skip(taken);
            slots.Run(row, values + i);
            i += codes;
            return;
        }
        bits.Skip(found & 0xFF);
        const uint8_t* node = base + (found >> 8);
        uint32_t entry = Load32(node);
        if (static_cast<uint16_t>(entry) == freeValue) [[unlikely]] {
            WalkToLeaf(bits, node, entry, freeValue);
            // A recent-value leaf this deep is a run of one code.
            for (uint32_t slot = 0; slot < 3; ++slot) {
                if (node == slotEntries[slot]) {
                    slots.Run(slot * kEqualityPatterns, values + i);
                    ++i;
                    return;
                }
            }
        }
        slots.Take(entry);
        values[i++] = entry;
    };
    // One refill serves four lookups: each takes at most 12 bits, and a walk refills after it.
    for (;;) {
        bits.Refill();
        step();
        if (i >= need) return;
        step();
        if (i >= need) return;
        step();
        if (i >= need) return;
        step();
        if (i >= need) return;
    }
}

// `count` full blocks side by side. Out of line, so that the reader, the slots and the block
// position get registers of their own for the whole piece.
template <class Pixels>
[[gnu::noinline]] VideoBitStream DecodeRunFullBlocks(VideoBitStream bits, ValueTree& tree,
                                                     const ValueTrees& trees, const uint32_t* runs,
                                                     const Pixels pixels, uint8_t* block,
                                                     uint32_t count) {
    RegisterSlots slots(tree);
    const uint8_t* const base = trees.base;
    const uint8_t* const lookup = base + kLookupOffsets[kFullBlockTree];
    const uint16_t freeValue = static_cast<uint16_t>(trees.freeValue);
    alignas(64) uint32_t values[kChunkValues + kMaxRunCodes];
    do {
        const uint32_t blocks = std::min(count, kChunkBlocks);
        DecodeFullValues(bits, slots, tree.slots, base, lookup, runs, freeValue, values,
                         8 * blocks);
        const uint32_t* v = values;
        for (uint32_t b = 0; b < blocks; ++b, v += 8, block += Pixels::kBlockBytes) {
            // Each row's right half was decoded first.
            for (ptrdiff_t r = 0; r < 4; ++r) {
                pixels.PutRow(block, r, pixels.FullRow(v[2 * r] >> 16, v[2 * r + 1] >> 16));
            }
        }
        count -= blocks;
    } while (count != 0);
    slots.WriteBack(tree);
    return bits;
}

}  // namespace tavik
