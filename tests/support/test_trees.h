// Small tree sets for video tests: the four trees built over given value lists, with their
// writer kept so that chunks can be written value by value.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/tree_block_writer.h"
#include "video/marker_runs.h"
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
};

// Builds the four trees from pre-order shapes (see BalancedShape; an empty shape leaves that
// tree absent), all with the markers 0xDEAD, 0xDEAE and 0xDEAF except the type tree.
inline Trees MakeTreesFromShapes(const std::array<std::vector<int32_t>, 4>& shapes,
                                 std::array<uint32_t, 3> typeMarkers = {0xDEAD, 0xDEAE, 0xDEAF}) {
    Trees t;
    for (size_t tree = 0; tree < shapes.size(); ++tree) {
        if (shapes[tree].empty()) t.block.Absent();
        if (!shapes[tree].empty())
            t.block.Present(shapes[tree],
                            tree == 3 ? typeMarkers : std::array{0xDEADu, 0xDEAEu, 0xDEAFu});
    }
    const std::array<uint32_t, 4> sizes = t.block.ExactSizes();
    t.memory.assign(TreeMemorySize() + sizes[0] + sizes[1] + sizes[2] + sizes[3], 0);
    std::vector<uint8_t> input = t.block.Input();
    t.built = BuildTrees(input.data(), t.memory.data(), sizes[0], sizes[1], sizes[2], sizes[3],
                         t.block.BlockSize());
    if (t.built) BuildMarkerRuns(t.memory.data(), t.runs.get());
    return t;
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
