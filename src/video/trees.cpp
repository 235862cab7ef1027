#include "video/trees.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "video/bit_reader.h"
#include "video/byte_tree.h"
#include "video/tree_memory.h"

namespace tavik {

namespace {

// While building, an internal node holds the leaf count of its 0-branch in the high half and a
// leaf holds its stored value; `isLeaf` tells them apart until the free value is known.
struct BuildingTree {
    uint8_t* entries = nullptr;  // the node array in the tree memory
    uint32_t offset = 0;         // its location in the tree memory
    uint32_t capacity = 0;       // entries that fit its tree size
    uint32_t count = 0;          // nodes read
    std::vector<uint8_t> isLeaf;
    TreeRecord record{};
};

class UsedValues {
  public:
    void Mark(uint32_t value) { bits_[value >> 6] |= uint64_t{1} << (value & 63); }
    // The lowest value no leaf uses, or -1 when all 65536 are used.
    int32_t Lowest() const {
        for (uint32_t word = 0; word < bits_.size(); ++word) {
            if (bits_[word] != ~uint64_t{0}) {
                return static_cast<int32_t>(word * 64 + std::countr_one(bits_[word]));
            }
        }
        return -1;
    }

  private:
    std::array<uint64_t, 1024> bits_{};
};

// A byte tree with an 8-bit direct lookup: most bytes of a tree block are read with one lookup
// instead of a walk of single bits.
struct ByteTreeStore {
    uint32_t entries[kByteTreeMaxEntries];
    uint16_t lookup[256];  // entry index << 4 | bits consumed
    bool read = false;

    bool Read(BitReader& bits) {
        if (!ReadByteTree(bits, entries)) return false;
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t index = 0, used = 0;
            while (used < 8 && !(entries[index] & kByteTreeLeaf)) {
                index = (i >> used & 1) ? index + (entries[index] >> 2) : index + 1;
                ++used;
            }
            lookup[i] = static_cast<uint16_t>(index << 4 | used);
        }
        read = true;
        return true;
    }

    uint32_t ReadByte(BitReader& bits) const {
        const uint32_t found = lookup[bits.Peek(8)];
        bits.Skip(found & 15);
        const uint32_t* node = entries + (found >> 4);
        while (!(*node & kByteTreeLeaf)) node = bits.Bit() ? node + (*node >> 2) : node + 1;
        return *node & 0xFF;
    }
};

struct ByteTreeStores {
    ByteTreeStore low;
    ByteTreeStore high;
};

uint32_t ReadField16(BitReader& bits) {
    const uint32_t low = bits.Bits(8);
    return low | bits.Bits(8) << 8;
}

// Reads one present value tree in pre-order into its node array. Fails on a stream that runs
// out, a node array (plus its spare entries) that overruns the tree size, or a 0-branch with more
// leaves than its 16-bit count can hold.
bool ReadValueTree(BitReader& bits, const ByteTreeStores& stores, const uint32_t markers[3],
                   BuildingTree& tree, UsedValues& used) {
    constexpr uint32_t kEndSentinel = 0xFFFFFFFFu;
    constexpr uint32_t kRootSentinel = 0xFFFFFFFEu;
    constexpr uint32_t kUnset = 0xFFFFFFFFu;
    const uint32_t limit = tree.capacity - kSpareEntries;
    uint32_t slotIndex[3] = {kUnset, kUnset, kUnset};
    std::vector<uint32_t> pending;
    pending.reserve(64);
    pending.push_back(kEndSentinel);
    pending.push_back(kRootSentinel);
    tree.isLeaf.assign(limit, 0);
    uint32_t count = 0;
    for (;;) {
        if (bits.overrun) return false;
        if (bits.Bit()) {
            if (count >= limit) return false;
            Store32(tree.entries + 4 * count, 0);
            pending.push_back(count++);
            continue;
        }
        if (pending.back() == kEndSentinel) break;  // the closing bit
        if (count >= limit) return false;
        uint32_t value = stores.low.ReadByte(bits);
        value |= stores.high.ReadByte(bits) << 8;
        for (uint32_t m = 0; m < 3; ++m) {
            if (value == markers[m]) {
                slotIndex[m] = count;  // the last matching leaf wins
                value = 0;
                break;
            }
        }
        used.Mark(value);
        tree.isLeaf[count] = 1;
        Store32(tree.entries + 4 * count, value);
        ++count;
        const uint32_t top = pending.back();
        pending.pop_back();
        if (top != kRootSentinel) {
            const uint32_t zeroBranchLeaves = (count - top) / 2;
            if (zeroBranchLeaves > 0xFFFF) return false;
            Store32(tree.entries + 4 * top, zeroBranchLeaves << 16);
        }
    }
    if (bits.overrun) return false;
    tree.count = count;
    for (uint32_t m = 0; m < 3; ++m) {
        const uint32_t index = slotIndex[m] != kUnset ? slotIndex[m] : count + m;
        tree.record.slots[m] = tree.offset + 4 * index;
    }
    return true;
}

bool ReadTree(BitReader& bits, ByteTreeStores& stores, BuildingTree& tree, UsedValues& used) {
    const uint32_t present = bits.Bit();
    if (bits.overrun) return false;
    if (!present) {
        tree.record = {0, {tree.offset, tree.offset, tree.offset}};
        return true;
    }
    if (bits.Bit() && !stores.low.Read(bits)) return false;
    if (bits.Bit() && !stores.high.Read(bits)) return false;
    // A store that no tree has filled yet has nothing to read leaves with.
    if (!stores.low.read || !stores.high.read) return false;
    uint32_t markers[3];
    for (uint32_t& marker : markers) marker = ReadField16(bits);
    if (bits.overrun) return false;
    return ReadValueTree(bits, stores, markers, tree, used);
}

// Fills the direct-lookup entries of every index whose low `depth` bits are `path`, from the
// node at `index`: a leaf or a node at full table depth ends the walk.
void FillLookup(uint8_t* table, uint32_t bitsWide, const BuildingTree& tree, uint32_t index,
                uint32_t depth, uint32_t path) {
    const uint32_t entry = Load32(tree.entries + 4 * index);
    if (tree.isLeaf[index] || depth == bitsWide) {
        const uint32_t lookup = (tree.offset + 4 * index) << 8 | depth;
        for (uint32_t i = path; i < (1u << bitsWide); i += 1u << depth) {
            Store32(table + 4 * i, lookup);
        }
        return;
    }
    FillLookup(table, bitsWide, tree, index + 1, depth + 1, path);
    FillLookup(table, bitsWide, tree, index + 2 * (entry >> 16), depth + 1, path | 1u << depth);
}

}  // namespace

uint32_t TreeMemorySize() {
    return kNodeArraysOffset;
}

bool BuildTrees(uint8_t* input, uint8_t* trees, uint32_t size0, uint32_t size1, uint32_t size2,
                uint32_t size3, uint32_t treeBlockSize) {
    const uint32_t sizes[kTreeCount] = {size0, size1, size2, size3};
    uint64_t total = kNodeArraysOffset;
    for (uint32_t size : sizes) {
        if (size % 4 != 0 || size < 12) return false;
        total += size;
    }
    if (total >= kMaxTreeMemory) return false;

    // The byte-tree stores and the used-value map live here rather than in the input's scratch
    // area, so the tree block stays intact and a short input cannot be overrun.
    auto stores = std::make_unique<ByteTreeStores>();
    UsedValues used;
    BitReader bits(input + 4096, treeBlockSize);
    std::memset(trees, 0, static_cast<size_t>(total));

    BuildingTree built[kTreeCount];
    uint32_t offset = kNodeArraysOffset;
    for (uint32_t t = 0; t < kTreeCount; ++t) {
        built[t].entries = trees + offset;
        built[t].offset = offset;
        built[t].capacity = sizes[t] / 4;
        if (!ReadTree(bits, *stores, built[t], used)) return false;
        offset += sizes[t];
    }

    const int32_t free = used.Lowest();
    if (free < 0) return false;
    const uint32_t freeValue = static_cast<uint32_t>(free);

    for (uint32_t t = 0; t < kTreeCount; ++t) {
        const BuildingTree& tree = built[t];
        for (uint32_t i = 0; i < tree.count; ++i) {
            const uint32_t entry = Load32(tree.entries + 4 * i);
            Store32(tree.entries + 4 * i,
                    tree.isLeaf[i] ? entry << 16 | entry : (entry & 0xFFFF0000u) | freeValue);
        }
        if (tree.count > 0) {
            FillLookup(trees + kLookupOffsets[t], kLookupBits[t], tree, 0, 0, 0);
        }
        Store32(trees + kTreeSizesOffset + 4 * t, sizes[t]);
        Store32(trees + kNodeCountsOffset + 4 * t, tree.count);
        StoreTreeRecord(trees, t, tree.record);
    }
    Store32(trees + kFreeValueOffset, freeValue);
    return true;
}

}  // namespace tavik
