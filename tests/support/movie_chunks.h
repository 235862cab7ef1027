// Takes a movie file apart for the video decoder alone: header numbers, the trees built from
// its tree block, and per frame its palette and video chunks (found as the movie core finds
// them). Header-only, for tests and benchmarks that drive the decoders without the movie core.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "format/frame_chunks.h"
#include "video/marker_runs.h"
#include "video/trees.h"

namespace tavik::test {

struct MovieChunks {
    struct FrameChunks {
        const uint8_t* palette = nullptr;  // its length byte, or null
        uint32_t paletteAvailable = 0;     // bytes from there to the frame's end
        const uint8_t* video = nullptr;
        uint32_t videoSize = 0;
    };

    std::vector<uint8_t> file;  // with the readers' 8-byte margin behind it
    uint32_t width = 0, height = 0, flags = 0;
    std::vector<uint8_t> trees;
    std::unique_ptr<TavikMarkerRuns> runs = std::make_unique<TavikMarkerRuns>();
    std::vector<FrameChunks> frames;  // FrameTotal entries, the ring frame last
    bool ok = false;

    static uint32_t U32(const uint8_t* p) {
        return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
    }

    explicit MovieChunks(std::vector<uint8_t> bytes) : file(std::move(bytes)) {
        const size_t size = file.size();
        file.resize(size + 8, 0);
        if (size < 104 || std::memcmp(file.data(), "TVK2", 4) != 0) return;
        const uint8_t* d = file.data();
        width = U32(d + 4);
        height = U32(d + 8);
        flags = U32(d + 20);
        const uint32_t total = U32(d + 12) + (flags & 1);
        const uint32_t treeBlockSize = U32(d + 52);
        uint32_t sizes[4];
        uint64_t treeBytes = TreeMemorySize();
        for (uint32_t t = 0; t < 4; ++t) treeBytes += sizes[t] = U32(d + 56 + 4 * t);
        uint64_t at = 104 + uint64_t{5} * total;
        if (at + treeBlockSize > size || treeBytes >= (1u << 24)) return;
        std::vector<uint8_t> input(std::max<size_t>(8192, 4096 + treeBlockSize + 4));
        std::memcpy(input.data() + 4096, d + at, treeBlockSize);
        trees.assign(treeBytes, 0);
        if (!BuildTrees(input.data(), trees.data(), sizes[0], sizes[1], sizes[2], sizes[3],
                        treeBlockSize)) {
            return;
        }
        BuildMarkerRuns(trees.data(), runs.get());
        at += treeBlockSize;
        uint32_t formats[7];
        for (uint32_t t = 0; t < 7; ++t) formats[t] = U32(d + 72 + 4 * t);
        for (uint32_t i = 0; i < total; ++i) {
            const uint32_t frameSize = U32(d + 104 + 4 * i);
            const uint8_t type = d[104 + 4 * total + i];
            if (at + frameSize > size) return;
            const tavik::FrameChunks c = LocateFrameChunks(d + at, frameSize, type, formats);
            frames.push_back({type & 1 ? d + at : nullptr, frameSize, c.video, c.videoSize});
            at += frameSize;
        }
        ok = true;
    }
};

}  // namespace tavik::test
