// How a movie codes each 4x4 block of a frame: read back from the frame's video chunk with the
// engine's own trees, so that an edited movie can code the blocks it keeps exactly as before.
#pragma once

#include <cstdint>
#include <vector>

#include "encoder/block_plan.h"

namespace tavik::edit {

// Reads the runs of a video chunk (`size` bytes and 8 readable bytes behind them) with the built
// tree memory: one choice per block in raster order (full blocks carry no values here: their
// pixels are the decoded picture's). Returns false for a chunk that does not code every block
// soundly: a tree it needs is absent, or it runs out before the last block.
bool ReadCodedBlocks(const uint8_t* chunk, uint32_t size, uint8_t* trees, uint32_t blockCount,
                     std::vector<enc::BlockChoice>& blocks);

}  // namespace tavik::edit
