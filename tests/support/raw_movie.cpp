#include "support/raw_movie.h"

#include <cstring>

namespace tavik::test {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

uint32_t RawMovie::FirstFrameOffset() const {
    return 104 + 5 * static_cast<uint32_t>(frames.size()) + treeBlockSize;
}

std::vector<uint8_t> RawMovie::Build() const {
    std::vector<uint8_t> out;
    const uint32_t total = static_cast<uint32_t>(frames.size());
    out.insert(out.end(), {'T', 'V', 'K', '2'});
    Put32(out, width);
    Put32(out, height);
    Put32(out, total - (flags & 1));
    Put32(out, static_cast<uint32_t>(frameRate));
    Put32(out, flags);
    out.resize(out.size() + 28, 0);  // the tracks' largest chunks
    Put32(out, treeBlockSize);
    for (int i = 0; i < 4; ++i) Put32(out, 12);
    for (uint32_t v : audioFormat) Put32(out, v);
    Put32(out, 0);
    for (const RawFrame& f : frames) Put32(out, f.size);
    for (const RawFrame& f : frames) {
        uint8_t type = f.palette.empty() ? 0 : 1;
        for (size_t t = 0; t < f.audio.size(); ++t)
            if (!f.audio[t].empty()) type |= static_cast<uint8_t>(2u << t);
        out.push_back(type);
    }
    out.insert(out.end(), treeBlockSize, 0);
    for (size_t i = 0; i < frames.size(); ++i) {
        const RawFrame& f = frames[i];
        std::vector<uint8_t> bytes = f.palette;
        for (const auto& chunk : f.audio) bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        // Fill the video chunk with a recognisable byte: the frame's number.
        bytes.resize(f.size, static_cast<uint8_t>(i));
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<uint8_t> PaletteChunk(const std::vector<uint8_t>& rgb6) {
    std::vector<uint8_t> chunk{0};
    chunk.insert(chunk.end(), rgb6.begin(), rgb6.end());
    const uint32_t made = static_cast<uint32_t>(rgb6.size() / 3);
    for (uint32_t left = 256 - made; left > 0;) {
        const uint32_t n = left > 128 ? 128 : left;
        chunk.push_back(static_cast<uint8_t>(0x80 | (n - 1)));
        left -= n;
    }
    while (chunk.size() % 4) chunk.push_back(0);
    chunk[0] = static_cast<uint8_t>(chunk.size() / 4);
    return chunk;
}

}  // namespace tavik::test
