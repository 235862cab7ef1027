// Fuzzes frame decoding. Input: four tree sizes (u32 each), the tree block's length (u16),
// blocks per row, block rows and a layout byte (16-bit, doubled, interlaced, bottom-up, decoder),
// then the tree block, then the video chunk. The picture has guard bytes that must stay untouched.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "../tests/support/test_picture.h"
#include "video/frame_helpers.h"
#include "video/marker_runs.h"
#include "video/trees.h"
#include "video/video_decoder.h"

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavik;
    constexpr size_t kHeader = 21;
    if (size < kHeader || size > (1u << 17)) return 0;
    uint32_t sizes[4];
    uint64_t total = TreeMemorySize();
    for (int t = 0; t < 4; ++t) {
        sizes[t] = ReadU32(data + 4 * t) % (1u << 14);
        total += sizes[t];
    }
    const uint32_t blockSize = data[16] | data[17] << 8;
    if (blockSize > size - kHeader) return 0;
    const uint32_t blocksPerRow = data[18] % 97;
    const uint32_t blockRows = data[19] % 53;
    const uint8_t layout = data[20];

    std::vector<uint8_t> input(std::max<size_t>(8192, (blockSize + 4099) & ~size_t{3}));
    std::memcpy(input.data() + 4096, data + kHeader, blockSize);
    // Left uninitialised: the builder must clear what it uses.
    std::unique_ptr<uint8_t[]> treeMemory(new uint8_t[static_cast<size_t>(total)]);
    uint8_t* trees = treeMemory.get();
    if (!BuildTrees(input.data(), trees, sizes[0], sizes[1], sizes[2], sizes[3], blockSize)) {
        return 0;
    }
    auto runs = std::make_unique<TavikMarkerRuns>();
    BuildMarkerRuns(trees, runs.get());
    // Either full-block decoder, whichever the trees would choose.
    runs->worthwhile = (layout >> 4) & 1;

    tavik::test::TestPicture picture({.width = blocksPerRow * 4,
                                      .codedHeight = blockRows * 4,
                                      .wide = (layout & 1) != 0,
                                      .doubled = (layout & 2) != 0,
                                      .interlaced = (layout & 6) == 4,
                                      .bottomUp = (layout & 8) != 0});
    // The chunk is copied with exactly its 8 bytes of margin, so any read past them is caught.
    const uint32_t chunkSize = static_cast<uint32_t>(size - kHeader - blockSize);
    std::vector<uint8_t> chunk(data + kHeader + blockSize, data + size);
    chunk.resize(chunk.size() + 8, 0xA5);
    for (int frame = 0; frame < 2; ++frame) {
        DecodeVideoFrame(chunk.data(), chunkSize, trees, runs.get(), picture.Dest());
        if (!picture.GuardsIntact()) std::abort();
        uint32_t rect[4];
        for (int n = 0; n < 10000 && NextChangeRect(picture.Dest(), rect); ++n) {
            if (rect[0] + rect[2] > blocksPerRow * 4 || rect[1] + rect[3] > blockRows * 4) {
                std::abort();
            }
        }
    }
    return 0;
}
