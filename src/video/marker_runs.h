// The marker-run table of the full-block tree: one lookup resolves a whole run of short
// recent-value codes, which is most of what smooth pictures code. It depends only on the tree's
// shape and slot leaves, so it is built once per movie, beside the tree memory, and a colour
// remap leaves it valid.
#pragma once

#include <cstdint>

namespace tavik {

// 4096 entries, indexed by the next 12 bits of the stream like the tree's own lookup.
constexpr uint32_t kMarkerRunEntries = 4096;

// An entry with this bit set stands for a run of recent-value codes:
//   bits 0-3    the bits the whole run takes (at most 12)
//   bits 8-11   how many codes it holds (1 to kMaxRunCodes)
//   bits 12-23  its sequence times kEqualityPatterns; the sequence is the slots of its first
//               kRunSlotCodes codes as a number in base 3, first code lowest (slot 0 past the
//               run's end); every later code of the run is a slot-0 leaf
//   bits 24-25  the slot of its first code
// Any other entry is the tree's own direct-lookup entry for the index: a code that is not a
// recent-value leaf, or one longer than 12 bits.
constexpr uint32_t kRunFlag = 0x80;
constexpr uint32_t kMaxRunCodes = 12;
// Five codes of any slot per run measured fastest: fewer cut runs short, more make the
// transition table outgrow the first-level cache.
constexpr uint32_t kRunSlotCodes = 5;
constexpr uint32_t kRunSequences = 243;  // 3 to the power kRunSlotCodes
// Which slot contents are equal: bit 0 slot 0 = slot 1, bit 1 slot 0 = slot 2, bit 2 slot 1 =
// slot 2 (only 0, 1, 2, 4 and 7 occur). A run's effect depends on its sequence and on this.
constexpr uint32_t kEqualityPatterns = 8;

}  // namespace tavik

// The table, and whether to use it: runs only pay for their fixed work when they are common.
// With codes fitted to the movie's statistics every 12-bit index is about equally likely, so
// the mean number of codes the 4096 entries yield is about what a lookup would yield.
struct TavikMarkerRuns {
    uint32_t entries[tavik::kMarkerRunEntries];
    uint32_t worthwhile;
};

namespace tavik {

// The run decoder pays from about two codes per lookup on (measured: pictures at 1.6 decode
// faster code by code, at 3.6 nearly twice as fast by runs).
constexpr uint32_t kWorthwhileCodes = 2 * kMarkerRunEntries;

// Fills `table` for the full-block tree of built tree memory; an absent tree gets zeros.
void BuildMarkerRuns(const uint8_t* trees, TavikMarkerRuns* table);

}  // namespace tavik
