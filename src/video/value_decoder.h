// Per-frame decoding of values from the built trees: the recent-value slots are reset at the
// start of a frame, and every decoded value moves through them.
#pragma once

#include <cstdint>

#include "video/tree_memory.h"
#include "video/video_bit_stream.h"

namespace tavik {

// One tree as a frame sees it. The slot contents are mirrored in `recent` so that the update
// needs no loads; the node array always holds them too, because a recent-value leaf reads them
// from there.
struct ValueTree {
    const uint8_t* lookup;
    uint32_t lookupMask;
    bool present;
    uint8_t* slots[3];
    uint32_t recent[3];
};

struct ValueTrees {
    uint8_t* base;
    uint32_t freeValue;
    ValueTree tree[kTreeCount];
};

// Sets every tree's three recent-value slots to its reset entry.
inline void ResetRecentValues(uint8_t* trees, ValueTrees& out) {
    out.base = trees;
    out.freeValue = FreeValue(trees);
    for (uint32_t t = 0; t < kTreeCount; ++t) {
        const TreeRecord record = LoadTreeRecord(trees, t);
        ValueTree& tree = out.tree[t];
        tree.lookup = trees + kLookupOffsets[t];
        tree.lookupMask = (1u << kLookupBits[t]) - 1;
        tree.present = NodeCount(trees, t) != 0;
        for (uint32_t s = 0; s < 3; ++s) {
            tree.slots[s] = trees + record.slots[s];
            tree.recent[s] = record.resetEntry;
            Store32(tree.slots[s], record.resetEntry);
        }
    }
}

// Decodes one value: the leaf's whole entry, whose high half is the output value. The tree must
// be present; the walk stays inside its node array because the builder made every branch of it
// end in a leaf.
[[gnu::always_inline]] inline uint32_t DecodeValue(VideoBitStream& bits, ValueTree& tree,
                                                   const ValueTrees& trees) {
    bits.TopUp();
    const uint32_t lookup = Load32(tree.lookup + 4 * (bits.Peek() & tree.lookupMask));
    bits.Skip(lookup & 0xFF);
    const uint8_t* node = trees.base + (lookup >> 8);
    uint32_t entry = Load32(node);
    while ((entry & 0xFFFF) == trees.freeValue) {
        node += bits.Bit() ? (entry >> 16) * 8 : 4;
        entry = Load32(node);
    }
    // Branch-free slot update: when the result equals slot 1, every slot keeps its entry.
    const bool moved = entry != tree.recent[0];
    tree.recent[2] = moved ? tree.recent[1] : tree.recent[2];
    tree.recent[1] = moved ? tree.recent[0] : tree.recent[1];
    tree.recent[0] = entry;
    Store32(tree.slots[2], tree.recent[2]);
    Store32(tree.slots[1], tree.recent[1]);
    Store32(tree.slots[0], entry);
    return entry;
}

}  // namespace tavik
