// The four video value trees: building them into the tree memory, and the per-frame services.
#pragma once

#include <cstdint>

namespace tavik {

enum TreeIndex : uint32_t { kMaskTree = 0, kColourTree = 1, kFullBlockTree = 2, kTypeTree = 3 };

// The fixed part of the tree memory; the opener adds the four tree sizes.
uint32_t TreeMemorySize();

// Builds the trees from the tree block held at input + 4096 (the first 4096 bytes are scratch).
// `input` holds at least max(8192, 4096 + treeBlockSize) bytes. Returns false when the block
// breaks a limit of the format (a byte tree beyond 512 entries, a node array that overruns its
// tree size, a value tree whose byte trees were never read, a stream that runs past the block,
// a tree size that is not a multiple of 4 or below 12, tree memory of 16 MiB or more, a 0-branch
// of more than 65535 leaves, no free value left); the tree memory must then not be used.
// The input is only read: the byte-tree stores and the used-value map are the builder's own.
// The per-frame services (resetting the recent-value slots, decoding a value) are in
// video/value_decoder.h; the memory layout is in video/tree_memory.h.
bool BuildTrees(uint8_t* input, uint8_t* trees, uint32_t size0, uint32_t size1, uint32_t size2,
                uint32_t size3, uint32_t treeBlockSize);

}  // namespace tavik
