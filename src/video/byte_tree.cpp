#include "video/byte_tree.h"

namespace tavik {

bool ReadByteTree(BitReader& bits, uint32_t* entries) {
    // Pending internal nodes wait here for the start of their 1-branch subtree. A tree of at most
    // 512 entries never nests deeper than that.
    constexpr uint32_t kRootSentinel = 0xFFFFFFFEu;
    constexpr uint32_t kEndSentinel = 0xFFFFFFFFu;
    uint32_t stack[kByteTreeMaxEntries + 2];
    uint32_t depth = 0;
    stack[depth++] = kEndSentinel;
    stack[depth++] = kRootSentinel;
    uint32_t count = 0;
    for (;;) {
        if (bits.overrun) return false;
        if (bits.Bit()) {
            if (count >= kByteTreeMaxEntries) return false;
            entries[count] = 0;
            stack[depth++] = count++;
            continue;
        }
        if (stack[depth - 1] == kEndSentinel) return !bits.overrun;  // the closing bit
        if (count >= kByteTreeMaxEntries) return false;
        const uint32_t value = bits.Bits(8);
        entries[count++] = kByteTreeLeaf | value;
        const uint32_t top = stack[--depth];
        if (top != kRootSentinel) entries[top] = (count - top) * 4;
    }
}

}  // namespace tavik
