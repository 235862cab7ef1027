// Small tree sets for video tests: the four trees built over given value lists, with their
// writer kept so that chunks can be written value by value.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/tree_block_writer.h"
#include "video/marker_runs.h"
#include "video/tree_memory.h"
#include "video/trees.h"

namespace tavik::test {

enum : uint32_t { kTwoColour = 0, kFull = 1, kSkip = 2, kSolid = 3 };

inline int32_t TypeWord(uint32_t type, uint32_t runIndex, uint32_t colour = 0) {
    return static_cast<int32_t>(type | runIndex << 2 | colour << 8);
}

struct Trees {
    TreeBlockWriter block;
    std::vector<uint8_t> memory;
    std::unique_ptr<TavikMarkerRuns> runs = std::make_unique<TavikMarkerRuns>();
    bool built = false;

    // Where entry `index` of tree `tree`'s node array lies, and what it holds.
    uint32_t Location(uint32_t tree, uint32_t index) const {
        return NodeArrayOffset(memory.data(), tree) + 4 * index;
    }
    uint32_t Entry(uint32_t tree, uint32_t index) const {
        return Load32(memory.data() + Location(tree, index));
    }
};

// Builds the trees of `block` with the given tree sizes (the exact ones if none) from a block of
// `blockSize` bytes (its own size if 0), in memory of 0xCD bytes.
inline Trees BuildBlock(TreeBlockWriter block, std::array<uint32_t, 4> sizes = {},
                        uint32_t blockSize = 0) {
    Trees t;
    t.block = std::move(block);
    if (sizes == std::array<uint32_t, 4>{}) sizes = t.block.ExactSizes();
    const uint64_t total = uint64_t{TreeMemorySize()} + sizes[0] + sizes[1] + sizes[2] + sizes[3];
    t.memory.assign(std::min<uint64_t>(total, 1u << 25), 0xCD);
    std::vector<uint8_t> input = t.block.Input();
    t.built = BuildTrees(input.data(), t.memory.data(), sizes[0], sizes[1], sizes[2], sizes[3],
                         blockSize ? blockSize : t.block.BlockSize());
    if (t.built) BuildMarkerRuns(t.memory.data(), t.runs.get());
    return t;
}

// Builds the four trees from pre-order shapes (see BalancedShape; an empty shape leaves that
// tree absent), all with the markers 0xDEAD, 0xDEAE and 0xDEAF except the type tree.
inline Trees MakeTreesFromShapes(const std::array<std::vector<int32_t>, 4>& shapes,
                                 std::array<uint32_t, 3> typeMarkers = {0xDEAD, 0xDEAE, 0xDEAF}) {
    TreeBlockWriter block;
    for (size_t tree = 0; tree < shapes.size(); ++tree) {
        if (shapes[tree].empty()) block.Absent();
        if (!shapes[tree].empty())
            block.Present(shapes[tree],
                          tree == 3 ? typeMarkers : std::array{0xDEADu, 0xDEAEu, 0xDEAFu});
    }
    return BuildBlock(std::move(block));
}

// Builds the four trees balanced over the given values; only the type tree's markers are
// chosen by the caller.
inline Trees MakeTrees(const std::vector<int32_t>& masks, const std::vector<int32_t>& pairs,
                       const std::vector<int32_t>& fulls, const std::vector<int32_t>& types,
                       std::array<uint32_t, 3> typeMarkers = {0xDEAD, 0xDEAE, 0xDEAF}) {
    return MakeTreesFromShapes(
        {BalancedShape(masks), BalancedShape(pairs), BalancedShape(fulls), BalancedShape(types)},
        typeMarkers);
}

}  // namespace tavik::test
