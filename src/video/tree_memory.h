// Layout of the tree memory: the four value trees in decode-ready form, with their direct-lookup
// tables, the free value and the recent-value slot records. Locations inside it are byte offsets
// from its start, so that a direct-lookup entry can carry one in 24 bits.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "format/limits.h"

namespace tavik {

constexpr uint32_t kTreeCount = 4;

constexpr uint32_t kTreeSizesOffset = 0;
constexpr uint32_t kLookupOffsets[kTreeCount] = {16, 16 + 16384, 16 + 32768, 16 + 49152};
constexpr uint32_t kLookupBits[kTreeCount] = {12, 12, 12, 10};
constexpr uint32_t kFreeValueOffset = 16 + 49152 + 4096;
constexpr uint32_t kTreeRecordsOffset = kFreeValueOffset + 4;
// The 20 bytes after the records hold, per tree, its node count (0 for an absent tree), so that
// the remap and the decoder know which entries are nodes.
constexpr uint32_t kNodeCountsOffset = kTreeRecordsOffset + 64;
constexpr uint32_t kNodeArraysOffset = kNodeCountsOffset + 20;
static_assert(kNodeArraysOffset == 53352);

// Each node array ends with room for three spare slots.
constexpr uint32_t kSpareEntries = 3;
// Lookup entries hold a location in 24 bits: tree memory must stay below 16 MiB.
constexpr uint64_t kMaxTreeMemory = FormatLimits::kMaxTreeMemory;
static_assert(kMaxTreeMemory <= uint64_t{1} << 24);

// Per tree: the entry that all three slots take at the start of a frame, then the slot locations.
struct TreeRecord {
    uint32_t resetEntry;
    uint32_t slots[3];
};

inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    return v;
}

inline void Store32(uint8_t* p, uint32_t v) {
    if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
    std::memcpy(p, &v, 4);
}

inline uint32_t TreeSize(const uint8_t* trees, uint32_t tree) {
    return Load32(trees + kTreeSizesOffset + 4 * tree);
}
inline uint32_t NodeCount(const uint8_t* trees, uint32_t tree) {
    return Load32(trees + kNodeCountsOffset + 4 * tree);
}
inline uint32_t FreeValue(const uint8_t* trees) {
    return Load32(trees + kFreeValueOffset) & 0xFFFF;
}

inline uint32_t NodeArrayOffset(const uint8_t* trees, uint32_t tree) {
    uint32_t offset = kNodeArraysOffset;
    for (uint32_t t = 0; t < tree; ++t) offset += TreeSize(trees, t);
    return offset;
}

inline TreeRecord LoadTreeRecord(const uint8_t* trees, uint32_t tree) {
    const uint8_t* p = trees + kTreeRecordsOffset + 16 * tree;
    return {Load32(p), {Load32(p + 4), Load32(p + 8), Load32(p + 12)}};
}
inline void StoreTreeRecord(uint8_t* trees, uint32_t tree, const TreeRecord& record) {
    uint8_t* p = trees + kTreeRecordsOffset + 16 * tree;
    Store32(p, record.resetEntry);
    for (uint32_t i = 0; i < 3; ++i) Store32(p + 4 + 4 * i, record.slots[i]);
}

}  // namespace tavik
