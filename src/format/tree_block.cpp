#include "format/tree_block.h"

#include <algorithm>

#include "video/marker_runs.h"
#include "video/trees.h"

namespace tavik {

uint32_t TreeInputBytes(uint32_t blockSize) {
    const uint64_t rounded = (uint64_t{blockSize} + kTreeBlockScratch + 3) / 4 * 4;
    return static_cast<uint32_t>(std::max<uint64_t>(rounded, 8192));
}

bool BuildMovieTrees(uint8_t* input, const TavikHeader& h, uint8_t* trees, TavikMarkerRuns* runs) {
    if (!BuildTrees(input, trees, h.TreeSizes[0], h.TreeSizes[1], h.TreeSizes[2], h.TreeSizes[3],
                    h.TreeBlockSize))
        return false;
    BuildMarkerRuns(trees, runs);
    return true;
}

}  // namespace tavik
