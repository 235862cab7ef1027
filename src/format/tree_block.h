// The tree block: the input buffer the tree builder reads it from, and building the four video
// trees and their run lookup from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tavik/movie.h"

struct TavikMarkerRuns;

namespace tavik {

// The builder reads the block at this offset of its input; the bytes before are scratch.
constexpr uint32_t kTreeBlockScratch = 4096;

// Usable bytes of the builder's input for a block of `blockSize` bytes (at least 8192). The
// input is allocated 8 bytes longer, zeroed, so that word-wise bit reading near the end stays
// inside.
uint32_t TreeInputBytes(uint32_t blockSize);

// Builds the trees (TreeMemoryBytes(header) bytes at `trees`) from the block held at
// input + kTreeBlockScratch, then the full-block tree's run lookup. False when the block breaks
// a limit of the format; the trees must then not be used.
bool BuildMovieTrees(uint8_t* input, const TavikHeader& header, uint8_t* trees,
                     TavikMarkerRuns* runs);

}  // namespace tavik
