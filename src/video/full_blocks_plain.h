// Full blocks decoded code by code with the tree's own lookup: the decoder for trees whose
// recent-value codes are long or rare, so that runs of them seldom fit one lookup.
#pragma once

#include <cstdint>

#include "video/tree_memory.h"
#include "video/trees.h"
#include "video/value_decoder.h"
#include "video/video_bit_stream.h"

namespace tavik {

// The slots of one tree while a hot loop owns them: the contents of slots 1 and 2 in registers,
// the stores only when the value moves through them. Slot 3's content is only ever stored.
struct HotSlots {
    uint8_t* slot[3];
    uint32_t first, second;

    explicit HotSlots(const ValueTree& tree)
        : slot{tree.slots[0], tree.slots[1], tree.slots[2]},
          first(tree.recent[0]),
          second(tree.recent[1]) {}
    [[gnu::always_inline]] void Update(uint32_t entry) {
        if (entry != first) {
            Store32(slot[2], second);
            Store32(slot[1], first);
            Store32(slot[0], entry);
            second = first;
            first = entry;
        }
    }
    void WriteBack(ValueTree& tree) const {
        tree.recent[0] = first;
        tree.recent[1] = second;
        tree.recent[2] = Load32(slot[2]);
    }
};

// `count` full blocks side by side. Out of line, so that the reader, the tree's slots and the
// block position get registers of their own for the whole piece; each pair of rows is read
// after one refill, since four codes resolved by the lookup take at most 48 bits.
template <class Pixels>
[[gnu::noinline]] VideoBitStream DecodePlainFullBlocks(VideoBitStream bits, ValueTree& tree,
                                                       const ValueTrees& trees, const Pixels pixels,
                                                       uint8_t* block, uint32_t count) {
    HotSlots slots(tree);
    const uint8_t* const base = trees.base;
    const uint8_t* const lookup = base + kLookupOffsets[kFullBlockTree];
    const uint16_t freeValue = static_cast<uint16_t>(trees.freeValue);
    const auto value = [&]() __attribute__((always_inline)) {
        const uint32_t entry = TakeCode(bits, lookup, base, freeValue, kWideLookupMask);
        slots.Update(entry);
        return entry >> 16;
    };
    const auto rowPair = [&](ptrdiff_t r) __attribute__((always_inline)) {
        bits.Refill();
        const uint32_t right0 = value();
        const uint32_t left0 = value();
        pixels.PutRow(block, r, pixels.FullRow(right0, left0));
        const uint32_t right1 = value();
        const uint32_t left1 = value();
        pixels.PutRow(block, r + 1, pixels.FullRow(right1, left1));
    };
    do {
        rowPair(0);
        rowPair(2);
        block += Pixels::kBlockBytes;
    } while (--count != 0);
    slots.WriteBack(tree);
    return bits;
}

}  // namespace tavik
