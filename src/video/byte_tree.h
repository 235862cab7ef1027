// Byte trees: Huffman trees over byte values, packed in pre-order, held as arrays of 32-bit
// entries (internal: byte distance to the 1-branch child; leaf: bit 31 set, value in bits 0-7).
#pragma once

#include <cstdint>

#include "video/bit_reader.h"

namespace tavik {

constexpr uint32_t kByteTreeMaxEntries = 512;
constexpr uint32_t kByteTreeLeaf = 0x80000000u;

// Reads one byte tree (its presence bit already consumed) into `entries`, which has room for
// kByteTreeMaxEntries. Returns false when the tree is too large or the stream runs out; the
// entries must then not be used.
bool ReadByteTree(BitReader& bits, uint32_t* entries);

// Reads one byte with a tree that ReadByteTree accepted.
inline uint8_t ReadTreeByte(BitReader& bits, const uint32_t* entries) {
    const uint32_t* node = entries;
    while (!(*node & kByteTreeLeaf)) node = bits.Bit() ? node + (*node >> 2) : node + 1;
    return static_cast<uint8_t>(*node);
}

}  // namespace tavik
