// Fuzzes the reading of a video chunk's block codings. Input as video_frame_fuzz: four tree sizes
// (u32 each), the tree block's length (u16), blocks per row, block rows, a byte not used here,
// then the tree block, then the video chunk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "edit/coded_blocks.h"
#include "fuzz_trees.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavik;
    constexpr size_t kHeader = 21;
    if (size < kHeader || size > (1u << 17)) return 0;
    fuzz::FuzzTrees trees;
    if (!fuzz::BuildFuzzTrees(data, size, kHeader, trees)) return 0;
    const uint32_t blockSize = trees.blockSize;
    const uint32_t blocks = (data[18] % 97) * (data[19] % 53);
    // Exactly the 8 bytes of margin behind the chunk, so that any read past them is caught.
    std::vector<uint8_t> chunk(data + kHeader + blockSize, data + size);
    const uint32_t chunkSize = static_cast<uint32_t>(chunk.size());
    chunk.resize(chunk.size() + 8, 0);
    std::vector<enc::BlockChoice> choices;
    edit::ReadCodedBlocks(chunk.data(), chunkSize, trees.memory.get(), blocks, choices);
    if (choices.size() != blocks) __builtin_trap();
    return 0;
}
