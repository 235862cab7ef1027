// The recent-value slots of the full-block tree in its hot loop, and how a run of recent-value
// codes moves them. A run's effect is fixed by its codes and by which slot contents are equal,
// so it is taken from a table instead of being worked out code by code: one dependent load per
// run instead of a chain of compares and selects per code.
#pragma once

#include <array>
#include <cstdint>

#include "video/branch_free.h"
#include "video/marker_runs.h"
#include "video/tree_memory.h"
#include "video/value_decoder.h"

namespace tavik {

// Per run sequence (kRunSequences of them, marker_runs.h) and equality pattern:
//   bits 0-2   the equality pattern after the run
//   bits 3-8   which of the slots before the run slots 0, 1 and 2 hold after it (2 bits each)
//   bits 9-16  which of the slots before the run each of its first four codes yields
// Codes past the fourth are slot-0 leaves: they yield slot 0 and change nothing.
consteval std::array<uint32_t, kRunSequences * kEqualityPatterns> MakeRunTransitions() {
    std::array<uint32_t, kRunSequences * kEqualityPatterns> table{};
    for (uint32_t sequence = 0; sequence < kRunSequences; ++sequence) {
        for (uint32_t pattern = 0; pattern < kEqualityPatterns; ++pattern) {
            // Stand-in contents with the pattern's equalities (the patterns that never occur
            // get distinct ones).
            uint32_t content[3] = {0, 1, 2};
            if (pattern == 1) content[1] = 0;
            if (pattern == 2) content[2] = 0;
            if (pattern == 4) content[2] = 1;
            if (pattern == 7) content[1] = content[2] = 0;
            uint32_t from[3] = {0, 1, 2};
            uint32_t yields = 0;
            uint32_t codes = sequence;
            for (uint32_t c = 0; c < kRunSlotCodes; ++c, codes /= 3) {
                const uint32_t slot = codes % 3;
                const uint32_t value = content[slot], source = from[slot];
                yields |= source << (2 * c);
                if (value != content[0]) {
                    content[2] = content[1];
                    from[2] = from[1];
                    content[1] = content[0];
                    from[1] = from[0];
                }
                content[0] = value;
                from[0] = source;
            }
            const uint32_t after = (content[0] == content[1] ? 1u : 0u) |
                                   (content[0] == content[2] ? 2u : 0u) |
                                   (content[1] == content[2] ? 4u : 0u);
            table[sequence * kEqualityPatterns + pattern] =
                after | from[0] << 3 | from[1] << 5 | from[2] << 7 | yields << 9;
        }
    }
    return table;
}
inline constexpr std::array<uint32_t, kRunSequences* kEqualityPatterns> kRunTransitions =
    MakeRunTransitions();

// The slots held in registers, with their equality pattern. The slot entries in the tree memory
// are only written back when the loop ends: every recent-value code of up to 12 bits comes
// through the run table, and a longer one is recognised by its leaf.
struct RegisterSlots {
    uint32_t first, second, third;
    uint32_t pattern;
    uint32_t held[3];  // the contents before a run, for its table to pick from

    explicit RegisterSlots(const ValueTree& tree)
        : first(tree.recent[0]), second(tree.recent[1]), third(tree.recent[2]) {
        pattern =
            (first == second ? 1u : 0u) | (first == third ? 2u : 0u) | (second == third ? 4u : 0u);
    }

    // A plain value: it moves through the slots unless it equals slot 0. Then slot 0 differs
    // from the others, slot 0 = slot 2 when the value equalled slot 1, and slots 1 and 2 are
    // equal when slots 0 and 1 were.
    [[gnu::always_inline]] void Take(uint32_t entry) {
        const uint32_t movedPattern = (entry == second ? 2u : 0u) | (pattern & 1) << 2;
        const uint32_t keep = 0u - static_cast<uint32_t>(entry == first);
        pattern = (pattern & keep) | (movedPattern & ~keep);
        MoveUnlessEqual(entry, first, second, third);
        first = entry;
    }

    // A run: `row` is the sequence's first entry in kRunTransitions. Writes the values of its
    // first four codes to out[0..3] and slot 0 after the run to out[4..kMaxRunCodes - 1].
    [[gnu::always_inline]] void Run(uint32_t row, uint32_t* out) {
        held[0] = first;
        held[1] = second;
        held[2] = third;
        const uint32_t move = kRunTransitions[row + pattern];
        uint32_t yields[kRunSlotCodes];
        for (uint32_t c = 0; c < kRunSlotCodes; ++c) yields[c] = held[move >> (9 + 2 * c) & 3];
        first = held[move >> 3 & 3];
        second = held[move >> 5 & 3];
        third = held[move >> 7 & 3];
        pattern = move & 7;
        // Slot 0 in pairs of places from an even one, then the first codes over the start.
        static_assert(kMaxRunCodes % 2 == 0);
        const uint64_t repeat = first * 0x100000001ull;
        for (uint32_t c = kRunSlotCodes & ~1u; c < kMaxRunCodes; c += 2) {
            std::memcpy(out + c, &repeat, 8);
        }
        for (uint32_t c = 0; c < kRunSlotCodes; ++c) out[c] = yields[c];
    }

    void WriteBack(ValueTree& tree) const {
        tree.recent[0] = first;
        tree.recent[1] = second;
        tree.recent[2] = third;
        Store32(tree.slots[0], first);
        Store32(tree.slots[1], second);
        Store32(tree.slots[2], third);
    }
};

}  // namespace tavik
