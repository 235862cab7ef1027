// The recent-value slots of a value tree as the decoder keeps them: three slots, set to value 0
// at the start of every frame; a decoded value that differs from slot 1 pushes the slots down
// (slot 3 takes slot 2, slot 2 takes slot 1, slot 1 takes the value). A recent-value leaf k
// decodes to whatever slot k holds, so a value that sits in a slot can be coded with that leaf.
#pragma once

#include <cstdint>

namespace tavik::enc {

// Symbols of a value tree's code: the values themselves, then the three recent-value leaves.
constexpr uint32_t kRecentSymbol = 65536;
constexpr uint32_t kSymbolCount = kRecentSymbol + 3;

struct RecentSlots {
    uint16_t slot[3] = {0, 0, 0};

    // The symbol that codes `value`: the first enabled slot that holds it, else the value.
    uint32_t SymbolFor(uint16_t value, unsigned enabledSlots) const {
        for (unsigned k = 0; k < 3; ++k)
            if ((enabledSlots >> k & 1u) && slot[k] == value) return kRecentSymbol + k;
        return value;
    }

    void Decoded(uint16_t value) {
        if (value == slot[0]) return;
        slot[2] = slot[1];
        slot[1] = slot[0];
        slot[0] = value;
    }
};

}  // namespace tavik::enc
