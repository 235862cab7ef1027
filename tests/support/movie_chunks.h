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
#include "format/header.h"
#include "format/tree_block.h"
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
        TavikHeader h{};
        if (size < sizeof h) return;
        std::memcpy(&h, file.data(), sizeof h);
        if (!HasMovieMagic(h.Magic) || !HeaderProblem(h).empty()) return;
        width = h.Width;
        height = h.Height;
        flags = h.Flags;
        const uint32_t total = FrameTotalOf(h);
        uint64_t at = TreeBlockOffset(h);
        if (at + h.TreeBlockSize > size) return;
        std::vector<uint8_t> input(TreeInputBytes(h.TreeBlockSize) + 8, 0);
        std::memcpy(input.data() + kTreeBlockScratch, file.data() + at, h.TreeBlockSize);
        trees.assign(TreeMemoryBytes(h), 0);
        if (!BuildMovieTrees(input.data(), h, trees.data(), runs.get())) return;
        at += h.TreeBlockSize;
        const uint8_t* d = file.data();
        for (uint32_t i = 0; i < total; ++i) {
            const uint32_t frameSize = U32(d + 104 + 4 * i);
            const uint8_t type = d[TypeTableOffset(h) + i];
            if (at + frameSize > size) return;
            const tavik::FrameChunks c = LocateFrameChunks(d + at, frameSize, type, h.AudioFormat);
            frames.push_back({type & 1 ? d + at : nullptr, frameSize, c.video, c.videoSize});
            at += frameSize;
        }
        ok = true;
    }
};

}  // namespace tavik::test
