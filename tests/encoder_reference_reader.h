// A small, slow, independent reader of movie files for the encoder's tests: it decodes the tree
// block, video chunks (8-bit, plain layout) and palette chunks straight from the format's rules,
// checking every limit, so that the encoder's output can be verified without the engine.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"

namespace tavik::enc::test {

struct RefBits {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool overrun = false;

    uint32_t Bit() {
        if (pos / 8 >= size) {
            overrun = true;
            return 0;
        }
        const uint32_t bit = (data[pos / 8] >> (pos % 8)) & 1u;
        ++pos;
        return bit;
    }
    uint32_t Bits(unsigned n) {
        uint32_t v = 0;
        for (unsigned i = 0; i < n; ++i) v |= Bit() << i;
        return v;
    }
};

// A byte tree as nodes: children indices, or a leaf value.
struct RefByteTree {
    struct Node {
        int zero = -1, one = -1;
        int value = -1;
    };
    std::vector<Node> nodes;

    // Reads the tree (presence bit already read) and its closing bit.
    bool Read(RefBits& bits) {
        nodes.clear();
        if (!ReadNode(bits) || nodes.size() > 512) return false;
        return bits.Bit() == 0 && !bits.overrun;
    }
    bool ReadNode(RefBits& bits) {
        if (nodes.size() > 512 || bits.overrun) return false;
        const int index = static_cast<int>(nodes.size());
        nodes.emplace_back();
        if (!bits.Bit()) {
            nodes[index].value = static_cast<int>(bits.Bits(8));
            return true;
        }
        if (!ReadNode(bits)) return false;
        nodes[index].zero = index + 1;
        nodes[index].one = static_cast<int>(nodes.size());
        return ReadNode(bits);
    }
    uint8_t Decode(RefBits& bits) const {
        int n = 0;
        while (nodes[n].value < 0) n = bits.Bit() ? nodes[n].one : nodes[n].zero;
        return static_cast<uint8_t>(nodes[n].value);
    }
};

struct RefValueTree {
    struct Node {
        int zero = -1, one = -1;
        uint16_t value = 0;
        bool leaf = false;
        int recent = -1;  // 0..2 for a recent-value leaf
    };
    bool present = false;
    std::array<uint16_t, 3> markers{};
    std::array<bool, 3> slotIsLeaf{};
    std::vector<Node> nodes;
    int maxDepth = 0;
    std::array<uint16_t, 3> slots{};

    uint16_t Decode(RefBits& bits) {
        int n = 0;
        while (!nodes[n].leaf) n = bits.Bit() ? nodes[n].one : nodes[n].zero;
        const uint16_t value = nodes[n].recent >= 0 ? slots[nodes[n].recent] : nodes[n].value;
        if (value != slots[0]) {
            slots[2] = slots[1];
            slots[1] = slots[0];
            slots[0] = value;
        }
        return value;
    }
};

struct RefTrees {
    std::array<RefValueTree, 4> trees;
    size_t bitsUsed = 0;

    bool Read(const uint8_t* block, size_t size) {
        RefBits bits{block, size};
        std::optional<RefByteTree> low, high;
        for (RefValueTree& tree : trees) {
            tree.present = bits.Bit();
            if (!tree.present) continue;
            for (std::optional<RefByteTree>* store : {&low, &high}) {
                if (bits.Bit()) {
                    RefByteTree t;
                    if (!t.Read(bits)) return false;
                    *store = t;
                }
                if (!*store) return false;
            }
            for (uint16_t& m : tree.markers) m = static_cast<uint16_t>(bits.Bits(16));
            if (!ReadNode(bits, tree, *low, *high, 0)) return false;
            if (bits.Bit() != 0) return false;
        }
        bitsUsed = bits.pos;
        return !bits.overrun;
    }
    static bool ReadNode(RefBits& bits, RefValueTree& tree, const RefByteTree& low,
                         const RefByteTree& high, int depth) {
        if (bits.overrun || tree.nodes.size() > 200000) return false;
        tree.maxDepth = std::max(tree.maxDepth, depth);
        const int index = static_cast<int>(tree.nodes.size());
        tree.nodes.emplace_back();
        if (bits.Bit()) {
            if (!ReadNode(bits, tree, low, high, depth + 1)) return false;
            tree.nodes[index].zero = index + 1;
            tree.nodes[index].one = static_cast<int>(tree.nodes.size());
            return ReadNode(bits, tree, low, high, depth + 1);
        }
        RefValueTree::Node& node = tree.nodes[index];
        node.leaf = true;
        node.value = static_cast<uint16_t>(low.Decode(bits) | high.Decode(bits) << 8);
        for (int k = 2; k >= 0; --k)
            if (node.value == tree.markers[k]) node.recent = k;
        if (node.recent >= 0) tree.slotIsLeaf[node.recent] = true;
        return true;
    }
    // The free value exists: some value is the stored value of no leaf (recent leaves count as 0).
    bool HasFreeValue() const {
        std::vector<bool> used(65536, false);
        for (const RefValueTree& tree : trees)
            for (const auto& node : tree.nodes)
                if (node.leaf) used[node.recent >= 0 ? 0 : node.value] = true;
        return std::find(used.begin(), used.end(), false) != used.end();
    }
};

// Decodes one video chunk over `picture` (width * height, 8-bit). Returns false on a malformed
// chunk (a value from an absent tree, a stream that runs past the chunk).
inline bool RefDecodeVideo(const uint8_t* chunk, size_t size, RefTrees& trees, uint32_t width,
                           uint32_t height, std::vector<uint8_t>& picture,
                           std::array<uint32_t, 4>* typeCounts = nullptr) {
    RefBits bits{chunk, size};
    for (RefValueTree& tree : trees.trees) tree.slots = {};
    const uint32_t blocksPerRow = width / 4, total = blocksPerRow * (height / 4);
    uint32_t n = 0;
    auto block = [&](uint32_t index, uint32_t row) {
        return picture.data() + (index / blocksPerRow * 4 + row) * width + index % blocksPerRow * 4;
    };
    while (n < total) {
        if (!trees.trees[3].present) return false;
        const uint16_t word = trees.trees[3].Decode(bits);
        const uint32_t type = word & 3, index = (word >> 2) & 63;
        const uint32_t run = index < 59 ? index + 1 : 128u << (index - 59);
        if (typeCounts) ++(*typeCounts)[type];
        for (uint32_t i = 0; i < run && n < total; ++i, ++n) {
            if (type == 0) {
                if (!trees.trees[1].present || !trees.trees[0].present) return false;
                const uint16_t pair = trees.trees[1].Decode(bits);
                const uint16_t mask = trees.trees[0].Decode(bits);
                for (uint32_t r = 0; r < 4; ++r)
                    for (uint32_t c = 0; c < 4; ++c)
                        block(n, r)[c] =
                            static_cast<uint8_t>(mask >> (4 * r + c) & 1 ? pair >> 8 : pair);
            } else if (type == 1) {
                if (!trees.trees[2].present) return false;
                for (uint32_t r = 0; r < 4; ++r) {
                    // The right pair comes first.
                    const uint16_t right = trees.trees[2].Decode(bits);
                    const uint16_t left = trees.trees[2].Decode(bits);
                    const uint8_t row[4] = {
                        static_cast<uint8_t>(left), static_cast<uint8_t>(left >> 8),
                        static_cast<uint8_t>(right), static_cast<uint8_t>(right >> 8)};
                    std::memcpy(block(n, r), row, 4);
                }
            } else if (type == 3) {
                for (uint32_t r = 0; r < 4; ++r) std::memset(block(n, r), word >> 8, 4);
            }
        }
    }
    return !bits.overrun;
}

inline void RefDecodePalette(const uint8_t* chunk, size_t available, uint8_t* palette) {
    uint8_t previous[768];
    std::memcpy(previous, palette, 768);
    size_t p = 1;
    int i = 0;
    auto expand = [](uint8_t c) { return static_cast<uint8_t>((c & 63) << 2 | (c & 63) >> 4); };
    while (i < 256 && p < available) {
        const uint8_t b = chunk[p++];
        if (b >= 0x80) {
            for (int n = 0; n <= (b & 0x7F) && i < 256; ++n, ++i)
                std::memcpy(palette + 3 * i, previous + 3 * i, 3);
        } else if (b >= 0x40) {
            const int s = chunk[p++];
            for (int n = 0; n <= (b & 0x3F) && i < 256 && s + n < 256; ++n, ++i)
                std::memcpy(palette + 3 * i, previous + 3 * (s + n), 3);
        } else {
            palette[3 * i] = expand(b);
            palette[3 * i + 1] = expand(chunk[p++]);
            palette[3 * i + 2] = expand(chunk[p++]);
            ++i;
        }
    }
}

inline uint32_t RefU32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct RefFrame {
    uint8_t type = 0;
    const uint8_t* start = nullptr;
    uint32_t size = 0;
    const uint8_t* palette = nullptr;
    std::array<const uint8_t*, 7> audio{};
    const uint8_t* video = nullptr;
    uint32_t videoSize = 0;
};

struct RefMovie {
    std::vector<uint8_t> bytes;
    uint32_t width = 0, height = 0, frameCount = 0, flags = 0, treeBlockSize = 0;
    int32_t frameRate = 0;
    std::array<uint32_t, 7> audioMaxSize{}, audioFormat{};
    std::array<uint32_t, 4> treeSizes{};
    std::vector<RefFrame> frames;
    RefTrees trees;
    size_t frameDataOffset = 0;
    std::string error;

    bool Parse(std::vector<uint8_t> file) {
        bytes = std::move(file);
        if (bytes.size() < 104 || std::memcmp(bytes.data(), "TVK2", 4) != 0) return Fail("magic");
        const uint8_t* h = bytes.data();
        for (auto [field, at] : {std::pair{&width, 4},
                                 {&height, 8},
                                 {&frameCount, 12},
                                 {&flags, 20},
                                 {&treeBlockSize, 52}})
            *field = RefU32(h + at);
        frameRate = static_cast<int32_t>(RefU32(h + 16));
        for (int t = 0; t < 7; ++t) audioMaxSize[t] = RefU32(h + 24 + 4 * t);
        for (int t = 0; t < 7; ++t) audioFormat[t] = RefU32(h + 72 + 4 * t);
        for (int t = 0; t < 4; ++t) treeSizes[t] = RefU32(h + 56 + 4 * t);
        const size_t total = frameCount + (flags & 1);
        frameDataOffset = 104 + 5 * total + treeBlockSize;
        if (bytes.size() < frameDataOffset) return Fail("tables");
        if (!trees.Read(bytes.data() + 104 + 5 * total, treeBlockSize)) return Fail("trees");
        size_t offset = frameDataOffset;
        for (size_t i = 0; i < total; ++i) {
            RefFrame frame;
            frame.size = RefU32(h + 104 + 4 * i);
            frame.type = bytes[104 + 4 * total + i];
            if (offset + frame.size > bytes.size()) return Fail("frame size");
            frame.start = bytes.data() + offset;
            const uint8_t* p = frame.start;
            const uint8_t* end = p + frame.size;
            if (frame.type & 1) {
                frame.palette = p;
                p += 4 * p[0];
            }
            for (int t = 0; t < 7; ++t) {
                if (!(frame.type & (2 << t))) continue;
                if (end - p < 4) return Fail("audio chunk");
                frame.audio[t] = p;
                p += RefU32(p);
            }
            if (p > end) return Fail("chunks run past the frame");
            frame.video = p;
            frame.videoSize = static_cast<uint32_t>(end - p);
            frames.push_back(frame);
            offset += frame.size;
        }
        if (offset != bytes.size()) return Fail("trailing bytes");
        return true;
    }
    bool Fail(const char* what) {
        error = what;
        return false;
    }
};

struct RefPicture {
    std::vector<uint8_t> pixels;
    std::array<uint8_t, 768> palette{};
};

// Decodes the frames in the given play order (none given: all in file order) as a player would:
// the picture persists between frames, and the palette is cleared to black before frame 0.
inline bool RefPlay(RefMovie& movie, std::vector<RefPicture>& shown,
                    std::vector<uint32_t> order = {}) {
    if (order.empty())
        for (uint32_t i = 0; i < movie.frameCount; ++i) order.push_back(i);
    RefPicture state;
    state.pixels.assign(size_t{movie.width} * movie.height, 0);
    for (uint32_t index : order) {
        if (index >= movie.frames.size()) return false;
        const RefFrame& frame = movie.frames[index];
        if (index == 0) state.palette.fill(0);
        if (frame.palette)
            RefDecodePalette(frame.palette, frame.start + frame.size - frame.palette,
                             state.palette.data());
        if (!RefDecodeVideo(frame.video, frame.videoSize, movie.trees, movie.width, movie.height,
                            state.pixels))
            return false;
        shown.push_back(state);
    }
    return true;
}

// The type words of one frame's video chunk, by block type.
inline std::array<uint32_t, 4> RefTypeWords(RefMovie& movie, size_t frame) {
    std::array<uint32_t, 4> counts{};
    std::vector<uint8_t> picture(size_t{movie.width} * movie.height);
    const RefFrame& f = movie.frames[frame];
    RefDecodeVideo(f.video, f.videoSize, movie.trees, movie.width, movie.height, picture, &counts);
    return counts;
}

// The PCM of a compressed audio chunk (length field first), through the engine's decoder, which
// the conformance movies check.
inline std::vector<uint8_t> RefSound(const uint8_t* chunk) {
    std::vector<uint8_t> trees(kAudioTreeAreaSize), pcm(RefU32(chunk + 4));
    pcm.resize(DecodeAudio(chunk + 8, RefU32(chunk) - 8, static_cast<uint32_t>(pcm.size()),
                           trees.data(), pcm.data(), pcm.data() + pcm.size(), pcm.data()));
    return pcm;
}

}  // namespace tavik::enc::test
