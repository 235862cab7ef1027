// Length-limited canonical Huffman codes, and the pre-order packing of their trees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "encoder/bit_writer.h"

namespace tavik::enc {

// The longest code the encoder makes: a 32-bit window reader serves every code in one refill.
constexpr unsigned kMaxCodeLength = 24;

struct SymbolCount {
    uint32_t symbol;
    uint64_t count;  // greater than 0
};

struct HuffmanCode {
    // The coded symbols in the order of their leaves in a pre-order walk (0-branch first), which
    // for a canonical code is ascending length, then ascending symbol.
    std::vector<uint32_t> symbols;
    std::vector<uint8_t> lengths;  // code length of symbols[i]; 0 for a lone symbol
    std::vector<uint32_t> bits;    // code of symbols[i], first bit of the path in bit 0
};

// Builds an optimal code with no code longer than `maxLength` (at most 31) over the given
// symbols (distinct, at most 2^maxLength of them). The result does not depend on the input order.
HuffmanCode BuildHuffmanCode(std::vector<SymbolCount> counts, unsigned maxLength = kMaxCodeLength);

// Only the code lengths, in the input's order: for cost estimates.
std::vector<uint8_t> HuffmanLengths(const std::vector<SymbolCount>& counts,
                                    unsigned maxLength = kMaxCodeLength);

// Writes the tree in pre-order (1 = internal node followed by its 0-branch, then its 1-branch
// subtree; 0 = leaf, followed by what writeLeaf(symbol) writes) and the closing 0 bit.
template <class LeafWriter>
void WriteTreeShape(BitWriter& out, const HuffmanCode& code, LeafWriter&& writeLeaf);

// A byte tree: leaves carry their 8-bit value. No presence bit.
void WriteByteTree(BitWriter& out, const HuffmanCode& code);

// Bits that the packed tree of WriteByteTree takes, closing bit included.
inline uint64_t ByteTreeBits(size_t leaves) {
    return leaves * 10;
}

namespace detail {
template <class LeafWriter>
void WriteSubtree(BitWriter& out, const HuffmanCode& code, size_t begin, size_t end, unsigned depth,
                  LeafWriter& writeLeaf) {
    for (;;) {
        if (end - begin == 1 && code.lengths[begin] == depth) {
            out.Bit(false);
            writeLeaf(code.symbols[begin]);
            return;
        }
        out.Bit(true);
        size_t split = begin;
        while (split < end && ((code.bits[split] >> depth) & 1u) == 0) ++split;
        WriteSubtree(out, code, begin, split, depth + 1, writeLeaf);
        begin = split;  // the 1-branch continues in this frame
        ++depth;
    }
}
}  // namespace detail

template <class LeafWriter>
void WriteTreeShape(BitWriter& out, const HuffmanCode& code, LeafWriter&& writeLeaf) {
    if (!code.symbols.empty())
        detail::WriteSubtree(out, code, 0, code.symbols.size(), 0, writeLeaf);
    out.Bit(false);
}

}  // namespace tavik::enc
