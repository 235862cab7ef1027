#include "edit/coded_blocks.h"

#include "video/value_decoder.h"

namespace tavik::edit {

bool ReadCodedBlocks(const uint8_t* chunk, uint32_t size, uint8_t* trees, uint32_t blockCount,
                     std::vector<enc::BlockChoice>& blocks) {
    blocks.assign(blockCount, enc::BlockChoice{});
    ValueTrees values;
    ResetRecentValues(trees, values);
    VideoBitStream bits(chunk, size);
    ValueTree& typeTree = values.tree[enc::kTypeTree];
    ValueTree& colourTree = values.tree[enc::kColourTree];
    ValueTree& maskTree = values.tree[enc::kMaskTree];
    ValueTree& fullTree = values.tree[enc::kFullBlockTree];
    uint32_t n = 0;
    while (n < blockCount) {
        if (!typeTree.present || bits.Exhausted()) return false;
        const uint32_t word = DecodeValue(bits, typeTree, values) >> 16;
        const uint8_t type = word & 3;
        if (type == enc::kTwoColourBlock && !(colourTree.present && maskTree.present)) return false;
        if (type == enc::kFullBlock && !fullTree.present) return false;
        const uint32_t run = enc::RunLength(word >> 2 & 63);
        const uint32_t end = run < blockCount - n ? n + run : blockCount;
        for (; n < end; ++n) {
            enc::BlockChoice& block = blocks[n];
            block.type = type;
            if (type == enc::kSolidBlock) {
                block.colour = static_cast<uint8_t>(word >> 8);
            } else if (type == enc::kTwoColourBlock) {
                block.pair = static_cast<uint16_t>(DecodeValue(bits, colourTree, values) >> 16);
                block.mask = static_cast<uint16_t>(DecodeValue(bits, maskTree, values) >> 16);
            } else if (type == enc::kFullBlock) {
                for (int i = 0; i < 8; ++i) DecodeValue(bits, fullTree, values);
            }
        }
    }
    return !bits.Exhausted();
}

}  // namespace tavik::edit
