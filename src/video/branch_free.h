// Selects that must stay conditional moves. Which recent-value slot a code names, and whether a
// value repeats, are data: a branch on them mispredicts often. Compilers turn plain selects of
// this shape back into branches, so x86 gets its conditional moves written out.
#pragma once

#include <cstdint>

namespace tavik {

// When `entry` differs from `first`: third = second, second = first.
[[gnu::always_inline]] inline void MoveUnlessEqual(uint32_t entry, uint32_t first, uint32_t& second,
                                                   uint32_t& third) {
#if defined(__x86_64__) || defined(__i386__)
    __asm__(
        "cmpl %[first], %[entry]\n\t"
        "cmovnel %[second], %[third]\n\t"
        "cmovnel %[first], %[second]"
        : [third] "+r"(third), [second] "+r"(second)
        : [entry] "r"(entry), [first] "r"(first)
        : "cc");
#else
    const uint32_t keep = 0u - static_cast<uint32_t>(entry == first);
    third = (third & keep) | (second & ~keep);
    second = (second & keep) | (first & ~keep);
#endif
}

}  // namespace tavik
