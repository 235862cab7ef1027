#include "video/marker_runs.h"

#include <algorithm>

#include "video/tree_memory.h"
#include "video/trees.h"

namespace tavik {

namespace {

// Which recent-value slot lives at `location`, or -1 for any other node.
int32_t SlotAt(const TreeRecord& record, uint32_t location) {
    for (int32_t s = 0; s < 3; ++s) {
        if (record.slots[s] == location) return s;
    }
    return -1;
}

}  // namespace

void BuildMarkerRuns(const uint8_t* trees, TavikMarkerRuns* runs) {
    uint32_t* table = runs->entries;
    runs->worthwhile = 0;
    uint32_t allCodes = 0;
    constexpr uint32_t kBits = 12;
    const uint8_t* lookup = trees + kLookupOffsets[kFullBlockTree];
    if (NodeCount(trees, kFullBlockTree) == 0) {
        std::fill_n(table, kMarkerRunEntries, 0u);
        return;
    }
    const TreeRecord record = LoadTreeRecord(trees, kFullBlockTree);
    for (uint32_t index = 0; index < kMarkerRunEntries; ++index) {
        uint32_t used = 0, codes = 0, sequence = 0, weight = 1, firstSlot = 0;
        while (codes < kMaxRunCodes) {
            // The bits above the unused ones read as zeros here, so the entry only counts when
            // its code ends inside the real bits.
            const uint32_t found = Load32(lookup + 4 * (index >> used));
            const uint32_t length = found & 0xFF;
            if (used + length > kBits) break;
            const int32_t slot = SlotAt(record, found >> 8);
            if (slot < 0 || (codes >= kRunSlotCodes && slot != 0)) break;
            if (codes == 0) firstSlot = static_cast<uint32_t>(slot);
            if (codes < kRunSlotCodes) {
                sequence += static_cast<uint32_t>(slot) * weight;
                weight *= 3;
            }
            used += length;
            ++codes;
        }
        allCodes += std::max(codes, 1u);
        table[index] = codes == 0 ? Load32(lookup + 4 * index)
                                  : kRunFlag | used | codes << 8 |
                                        sequence * kEqualityPatterns << 12 | firstSlot << 24;
    }
    runs->worthwhile = allCodes >= kWorthwhileCodes ? 1 : 0;
}

}  // namespace tavik
