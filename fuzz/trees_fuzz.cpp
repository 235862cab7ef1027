// Fuzzes the tree builder: four tree sizes, then a tree block. Trees that build are then used:
// values are decoded from every present tree, and the colour remap and used-colour scan run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "video/frame_helpers.h"
#include "video/trees.h"
#include "video/value_decoder.h"

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavik;
    if (size < 16 || size > (1u << 16)) return 0;
    uint32_t sizes[4];
    uint64_t total = TreeMemorySize();
    for (int t = 0; t < 4; ++t) {
        sizes[t] = ReadU32(data + 4 * t) % (1u << 17);  // keeps each run's memory small
        total += sizes[t];
    }
    const uint32_t blockSize = static_cast<uint32_t>(size - 16);
    // The opener's input buffer: 4096 bytes of scratch, the block, rounded down to 4, >= 8192.
    std::vector<uint8_t> input(std::max<size_t>(8192, (blockSize + 4099) & ~size_t{3}));
    std::memcpy(input.data() + 4096, data + 16, blockSize);
    // Left uninitialised: the builder must clear what it uses.
    std::unique_ptr<uint8_t[]> treeMemory(new uint8_t[static_cast<size_t>(total)]);
    uint8_t* trees = treeMemory.get();
    if (!BuildTrees(input.data(), trees, sizes[0], sizes[1], sizes[2], sizes[3], blockSize)) {
        return 0;
    }
    ValueTrees values;
    ResetRecentValues(trees, values);
    std::vector<uint8_t> stream(data + 16, data + size);
    stream.resize(stream.size() + 8);
    VideoBitStream bits(stream.data(), blockSize);
    for (int i = 0; i < 64 && !bits.Exhausted(); ++i) {
        ValueTree& tree = values.tree[i % 4];
        if (tree.present) DecodeValue(bits, tree, values);
    }
    uint8_t map[256];
    for (int i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(255 - i);
    RemapTreeColours(trees, map);
    uint8_t used[256] = {};
    FindUsedColours(trees, used);
    return 0;
}
