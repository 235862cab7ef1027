// Builds tree blocks and video chunks by hand. A value tree is given as its nodes in pre-order:
// kInternal for an internal node, otherwise the leaf's 16-bit value. The writer remembers every
// leaf's code so that streams can be written value by value.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/bit_writer.h"

namespace tavik::test {

constexpr int32_t kInternal = -1;

// A balanced tree over `values` (each becomes one leaf, in order).
inline std::vector<int32_t> BalancedShape(const std::vector<int32_t>& values) {
    std::vector<int32_t> out;
    auto walk = [&](auto& self, size_t first, size_t count) -> void {
        if (count == 1) return out.push_back(values[first]);
        out.push_back(kInternal);
        self(self, first, count / 2);
        self(self, first + count / 2, count - count / 2);
    };
    if (!values.empty()) walk(walk, 0, values.size());
    return out;
}

class TreeBlockWriter {
  public:
    // Writes a present value tree, with its own low-byte and high-byte trees unless told to
    // reuse the ones read last.
    void Present(const std::vector<int32_t>& preorder, std::array<uint32_t, 3> markers,
                 bool lowByteTree = true, bool highByteTree = true) {
        std::set<uint32_t> lows, highs;
        for (int32_t v : preorder) {
            if (v != kInternal) lows.insert(v & 0xFF), highs.insert(static_cast<uint32_t>(v) >> 8);
        }
        out_.Bit(1);
        out_.Bit(lowByteTree);
        if (lowByteTree) WriteByteTree(lows, low_);
        out_.Bit(highByteTree);
        if (highByteTree) WriteByteTree(highs, high_);
        for (uint32_t m : markers) out_.Bits(m, 16);
        Tree tree{preorder.size(), {}};
        size_t at = 0;
        WriteNode(preorder, tree, at, "");
        out_.Bit(0);  // closing bit
        trees_.push_back(tree);
    }
    void Absent() {
        out_.Bit(0);
        trees_.push_back(Tree{0, {}});
    }

    BitWriter& Stream() { return out_; }
    uint32_t BlockSize() const { return static_cast<uint32_t>(out_.Bytes().size()); }

    // The builder's input: 4096 bytes of scratch, the block, padding to at least 8192 bytes.
    std::vector<uint8_t> Input() const {
        std::vector<uint8_t> input(std::max<size_t>(8192, 4096 + out_.Bytes().size() + 4), 0);
        std::memcpy(input.data() + 4096, out_.Bytes().data(), out_.Bytes().size());
        return input;
    }

    // The tree sizes that fit each tree exactly (nodes plus the three spare entries).
    std::array<uint32_t, 4> ExactSizes() const {
        std::array<uint32_t, 4> sizes{12, 12, 12, 12};
        for (size_t t = 0; t < trees_.size() && t < 4; ++t)
            sizes[t] = static_cast<uint32_t>(4 * trees_[t].nodes + 12);
        return sizes;
    }

    // The code of the first leaf (in pre-order) with `value` in tree `tree`.
    const std::string& ValueCode(size_t tree, int32_t value) const {
        return trees_.at(tree).codes.at(value);  // throws for a value of no leaf
    }

  private:
    struct Tree {
        size_t nodes;
        std::map<int32_t, std::string> codes;  // of the first leaf (in pre-order) of each value
    };

    // A balanced byte tree over `values`, remembering the code of each.
    void WriteByteTree(const std::set<uint32_t>& values, std::map<uint32_t, std::string>& codes) {
        const std::vector<uint32_t> sorted(values.begin(), values.end());
        std::string path;
        codes.clear();
        auto walk = [&](auto& self, size_t first, size_t count) -> void {
            out_.Bit(count > 1);
            if (count == 1) {
                out_.Bits(sorted[first], 8);
                codes[sorted[first]] = path;
                return;
            }
            path += '0';
            self(self, first, count / 2);
            path.back() = '1';
            self(self, first + count / 2, count - count / 2);
            path.pop_back();
        };
        walk(walk, 0, sorted.size());
        out_.Bit(0);  // closing bit
    }

    void WriteNode(const std::vector<int32_t>& preorder, Tree& tree, size_t& at,
                   const std::string& path) {
        const int32_t v = preorder.at(at++);
        out_.Bit(v == kInternal);
        if (v == kInternal) {
            WriteNode(preorder, tree, at, path + "0");
            WriteNode(preorder, tree, at, path + "1");
            return;
        }
        out_.Code(low_.at(v & 0xFF));
        out_.Code(high_.at(static_cast<uint32_t>(v) >> 8));
        tree.codes.emplace(v, path);
    }

    BitWriter out_;
    std::map<uint32_t, std::string> low_{{0, ""}}, high_{{0, ""}};
    std::vector<Tree> trees_;
};

// Writes a video chunk value by value with the codes of a tree block.
class ChunkWriter {
  public:
    explicit ChunkWriter(const TreeBlockWriter& trees) : trees_(trees) {}

    ChunkWriter& Value(size_t tree, int32_t value) {
        out_.Code(trees_.ValueCode(tree, value));
        return *this;
    }
    // Type word: block type, run-length index, solid colour.
    ChunkWriter& Type(uint32_t type, uint32_t runIndex, uint32_t colour = 0) {
        return Value(3, static_cast<int32_t>(type | runIndex << 2 | colour << 8));
    }
    ChunkWriter& TwoColour(uint32_t colourPair, uint32_t mask) {
        return Value(1, static_cast<int32_t>(colourPair)).Value(0, static_cast<int32_t>(mask));
    }
    ChunkWriter& FullRow(uint32_t right, uint32_t left) {
        return Value(2, static_cast<int32_t>(right)).Value(2, static_cast<int32_t>(left));
    }

    BitWriter& Stream() { return out_; }
    // The chunk's bytes followed by the readers' 8-byte margin (which is not part of it).
    std::vector<uint8_t> Bytes(uint8_t margin = 0) const {
        std::vector<uint8_t> bytes = out_.Bytes();
        bytes.resize(bytes.size() + 8, margin);
        return bytes;
    }
    uint32_t Size() const { return static_cast<uint32_t>(out_.Bytes().size()); }

  private:
    const TreeBlockWriter& trees_;
    BitWriter out_;
};

}  // namespace tavik::test
