// Colour remapping of the trees: the output halves of the colour-carrying leaves are rewritten
// from their stored halves, so every later frame decodes straight into another palette.
#include <initializer_list>

#include "video/frame_helpers.h"
#include "video/tree_memory.h"
#include "video/trees.h"

namespace tavik {

namespace {

constexpr uint32_t kSolidType = 3;

bool IsSolidTypeWord(uint32_t stored) {
    return (stored & 3) == kSolidType;
}

// Calls visit(entryAddress, entry) for every leaf node of `tree`. The recent-value leaves are
// reported as what they are after building, stored value 0: between frames they hold copies of
// other leaves, and at the start of every frame the reset entry, whose stored value is 0.
template <typename Visit>
void ForEachLeaf(const uint8_t* trees, uint32_t tree, Visit visit) {
    const uint32_t freeValue = FreeValue(trees);
    const uint32_t offset = NodeArrayOffset(trees, tree);
    const uint32_t count = NodeCount(trees, tree);
    const TreeRecord record = LoadTreeRecord(trees, tree);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t location = offset + 4 * i;
        const uint32_t entry = Load32(trees + location);
        const bool isSlot = location == record.slots[0] || location == record.slots[1] ||
                            location == record.slots[2];
        if (isSlot) {
            visit(location, 0u);
        } else if ((entry & 0xFFFF) != freeValue) {
            visit(location, entry & 0xFFFF);
        }
    }
}

}  // namespace

void RemapTreeColours(uint8_t* trees, const uint8_t* map) {
    for (uint32_t tree : {kColourTree, kFullBlockTree}) {
        ForEachLeaf(trees, tree, [&](uint32_t location, uint32_t stored) {
            const uint32_t output = map[stored & 0xFF] | map[stored >> 8] << 8;
            Store32(trees + location, output << 16 | stored);
        });
        TreeRecord record = LoadTreeRecord(trees, tree);
        record.resetEntry = static_cast<uint32_t>(map[0]) * 257 << 16;
        StoreTreeRecord(trees, tree, record);
    }
    ForEachLeaf(trees, kTypeTree, [&](uint32_t location, uint32_t stored) {
        if (!IsSolidTypeWord(stored)) return;
        const uint32_t output = (stored & 0xFF) | map[stored >> 8] << 8;
        Store32(trees + location, output << 16 | stored);
    });
}

void TreeColourMap(const uint8_t* trees, uint8_t* map) {
    for (uint32_t i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
    for (uint32_t tree : {kColourTree, kFullBlockTree}) {
        // Stored value 0 also stands for the recent-value slots, whose entries are copies: index
        // 0's output comes from the reset entry instead.
        ForEachLeaf(trees, tree, [&](uint32_t location, uint32_t stored) {
            if (stored == 0) return;
            const uint32_t output = Load32(trees + location) >> 16;
            map[stored & 0xFF] = static_cast<uint8_t>(output);
            map[stored >> 8] = static_cast<uint8_t>(output >> 8);
        });
        map[0] = static_cast<uint8_t>(LoadTreeRecord(trees, tree).resetEntry >> 16);
    }
    ForEachLeaf(trees, kTypeTree, [&](uint32_t location, uint32_t stored) {
        if (IsSolidTypeWord(stored))
            map[stored >> 8] = static_cast<uint8_t>(Load32(trees + location) >> 24);
    });
}

void FindUsedColours(const uint8_t* trees, uint8_t* used) {
    for (uint32_t tree : {kColourTree, kFullBlockTree}) {
        ForEachLeaf(trees, tree, [&](uint32_t, uint32_t stored) {
            used[stored & 0xFF] = 1;
            used[stored >> 8] = 1;
        });
    }
    ForEachLeaf(trees, kTypeTree, [&](uint32_t, uint32_t stored) {
        if (IsSolidTypeWord(stored)) used[stored >> 8] = 1;
    });
}

}  // namespace tavik
