// The video trees at the front of a video fuzz input: four tree sizes (u32 each, taken below
// 16 KiB) and the tree block's length (u16) in its first 18 bytes, the tree block right after
// the input's header of `headerBytes` bytes. Built as a movie's are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "format/header.h"
#include "format/tree_block.h"
#include "video/marker_runs.h"

namespace tavik::fuzz {

struct FuzzTrees {
    std::unique_ptr<uint8_t[]> memory;  // left uninitialised: the builder must clear what it uses
    TavikMarkerRuns runs;
    uint32_t blockSize = 0;
};

// False when the input is too short for its block or the block does not build.
inline bool BuildFuzzTrees(const uint8_t* data, size_t size, size_t headerBytes, FuzzTrees& out) {
    TavikHeader h{};
    for (int t = 0; t < 4; ++t) {
        std::memcpy(&h.TreeSizes[t], data + 4 * t, 4);
        h.TreeSizes[t] %= 1u << 14;
    }
    h.TreeBlockSize = data[16] | data[17] << 8;
    if (h.TreeBlockSize > size - headerBytes) return false;
    std::vector<uint8_t> input(TreeInputBytes(h.TreeBlockSize) + 8, 0);
    std::memcpy(input.data() + kTreeBlockScratch, data + headerBytes, h.TreeBlockSize);
    out.memory.reset(new uint8_t[static_cast<size_t>(TreeMemoryBytes(h))]);
    out.blockSize = h.TreeBlockSize;
    return BuildMovieTrees(input.data(), h, out.memory.get(), &out.runs);
}

}  // namespace tavik::fuzz
