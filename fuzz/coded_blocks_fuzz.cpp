// Fuzzes the reading of a video chunk's block codings. Input as video_frame_fuzz: four tree sizes
// (u32 each), the tree block's length (u16), blocks per row, block rows, a byte not used here,
// then the tree block, then the video chunk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "edit/coded_blocks.h"
#include "video/trees.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavik;
    constexpr size_t kHeader = 21;
    if (size < kHeader || size > (1u << 17)) return 0;
    uint32_t sizes[4];
    uint64_t total = TreeMemorySize();
    for (int t = 0; t < 4; ++t) {
        std::memcpy(&sizes[t], data + 4 * t, 4);
        sizes[t] %= 1u << 14;
        total += sizes[t];
    }
    const uint32_t blockSize = data[16] | data[17] << 8;
    if (blockSize > size - kHeader) return 0;
    const uint32_t blocks = (data[18] % 97) * (data[19] % 53);
    std::vector<uint8_t> input(std::max<size_t>(8192, (blockSize + 4099) & ~size_t{3}));
    std::memcpy(input.data() + 4096, data + kHeader, blockSize);
    std::vector<uint8_t> trees(static_cast<size_t>(total));
    if (!BuildTrees(input.data(), trees.data(), sizes[0], sizes[1], sizes[2], sizes[3], blockSize))
        return 0;
    // Exactly the 8 bytes of margin behind the chunk, so that any read past them is caught.
    std::vector<uint8_t> chunk(data + kHeader + blockSize, data + size);
    const uint32_t chunkSize = static_cast<uint32_t>(chunk.size());
    chunk.resize(chunk.size() + 8, 0);
    std::vector<enc::BlockChoice> choices;
    edit::ReadCodedBlocks(chunk.data(), chunkSize, trees.data(), blocks, choices);
    if (choices.size() != blocks) __builtin_trap();
    return 0;
}
