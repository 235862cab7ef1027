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
#include "fuzz_trees.h"
#include "video/frame_helpers.h"
#include "video/video_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavik;
    constexpr size_t kHeader = 21;
    if (size < kHeader || size > (1u << 17)) return 0;
    fuzz::FuzzTrees built;
    if (!fuzz::BuildFuzzTrees(data, size, kHeader, built)) return 0;
    const uint32_t blockSize = built.blockSize;
    uint8_t* trees = built.memory.get();
    TavikMarkerRuns* runs = &built.runs;
    const uint32_t blocksPerRow = data[18] % 97;
    const uint32_t blockRows = data[19] % 53;
    const uint8_t layout = data[20];

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
        DecodeVideoFrame(chunk.data(), chunkSize, trees, runs, picture.Dest());
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
