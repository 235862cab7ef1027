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

// Branch-free slot update: when the result equals slot 1, every slot keeps its entry. The three
// slots of a present tree are distinct entries. Whether a value repeats is data, not pattern,
// so the selects must not become branches.
[[gnu::always_inline]] inline void UpdateRecent(ValueTree& tree, uint32_t entry) {
    const bool moved = __builtin_expect_with_probability(entry != tree.recent[0], 1, 0.5);
    tree.recent[2] = moved ? tree.recent[1] : tree.recent[2];
    tree.recent[1] = moved ? tree.recent[0] : tree.recent[1];
    tree.recent[0] = entry;
    Store32(tree.slots[2], tree.recent[2]);
    Store32(tree.slots[1], tree.recent[1]);
    Store32(tree.slots[0], entry);
}

// Walks on from the internal node the direct lookup reached (`node`, its `entry`) to the leaf the
// next bits lead to, and leaves at least 56 bits in the window. The branch bits are data: a step
// is computed, not branched on.
[[gnu::always_inline]] inline void WalkToLeaf(VideoBitStream& bits, const uint8_t*& node,
                                              uint32_t& entry, uint16_t freeValue) {
    do {
        const uint32_t one = 0u - bits.Bit();
        node += 4 + (((entry >> 16) * 8 - 4) & one);
        entry = Load32(node);
    } while (static_cast<uint16_t>(entry) == freeValue);
    bits.Refill();
}

// Takes one code and returns its leaf's entry, without the slot update. The window must hold at
// least the lookup width (`mask` has that many low bits set); a code resolved by the lookup takes
// at most that many bits, and a longer one (walked bit by bit) leaves at least 56 bits behind
// it. The tree must be present; the walk stays inside its node array because the builder made
// every branch of it end in a leaf. Plain values rather than the tree records, so that hot loops
// keep them in registers across their stores.
[[gnu::always_inline]] inline uint32_t TakeCode(VideoBitStream& bits, const uint8_t* lookup,
                                                const uint8_t* base, uint16_t freeValue,
                                                uint64_t mask) {
    const uint32_t found = Load32(lookup + 4 * (bits.Peek() & mask));
    bits.Skip(found & 0xFF);
    const uint8_t* node = base + (found >> 8);
    uint32_t entry = Load32(node);
    if (static_cast<uint16_t>(entry) == freeValue) [[unlikely]]
        WalkToLeaf(bits, node, entry, freeValue);
    return entry;
}
[[gnu::always_inline]] inline uint32_t TakeCode(VideoBitStream& bits, const ValueTree& tree,
                                                const ValueTrees& trees, uint64_t mask) {
    return TakeCode(bits, tree.lookup, trees.base, static_cast<uint16_t>(trees.freeValue), mask);
}
// The trees whose lookup is 12 bits wide: all but the type tree.
constexpr uint64_t kWideLookupMask = 0xFFF;

// Decodes one value: the leaf's whole entry, whose high half is the output value.
[[gnu::always_inline]] inline uint32_t DecodeValue(VideoBitStream& bits, ValueTree& tree,
                                                   const ValueTrees& trees) {
    bits.TopUp(12);
    const uint32_t entry = TakeCode(bits, tree, trees, tree.lookupMask);
    UpdateRecent(tree, entry);
    return entry;
}

}  // namespace tavik
