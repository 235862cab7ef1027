// Building the value trees and decoding from them: layout, free value, recent-value slots,
// the block limits, and both full-block decoders on hand-built blocks.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <tuple>
#include <vector>

#include "support/test_picture.h"
#include "support/test_trees.h"
#include "video/slot_runs.h"
#include "video/tree_memory.h"
#include "video/trees.h"
#include "video/value_decoder.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

using std::tuple;
using test::BalancedShape;
using test::BitWriter;
using test::BuildBlock;
using test::kInternal;
using test::TreeBlockWriter;

// The word at entry `index` of tree `tree`'s direct-lookup table.
uint32_t Lookup(const test::Trees& t, uint32_t tree, uint32_t index) {
    return Load32(t.memory.data() + kLookupOffsets[tree] + 4 * index);
}

// A block whose first tree is `preorder`, followed by `absent` absent trees.
TreeBlockWriter OneTree(const std::vector<int32_t>& preorder, std::array<uint32_t, 3> markers,
                        int absent = 3) {
    TreeBlockWriter w;
    w.Present(preorder, markers);
    for (int i = 0; i < absent; ++i) w.Absent();
    return w;
}

// Four small trees: mask {0x10, 0x20, 0x30}, colour a single leaf, full-block with a 14-bit code
// path, type with a recent-value leaf.
TreeBlockWriter SampleBlock() {
    TreeBlockWriter w;
    w.Present({kInternal, 0x10, kInternal, 0x20, 0x30}, {0x999, 0x998, 0x997});
    w.Present({0x4242}, {0x111, 0x112, 0x113});
    std::vector<int32_t> deep;  // a caterpillar: the leaf of value 100+d sits at depth d+1
    for (int32_t d = 0; d < 14; ++d) {
        deep.push_back(kInternal);
        deep.push_back(100 + d);
    }
    deep.push_back(200);
    w.Present(deep, {0xF00, 0xF01, 0xF02});
    w.Present({kInternal, 0x0005, kInternal, 0x0102, 0x0007}, {0x0007, 0xF10, 0xF11});
    return w;
}

TEST(VideoTrees, BuildsTheDocumentedLayout) {
    EXPECT_EQ(TreeMemorySize(), 53352u);
    const TreeBlockWriter block = SampleBlock();
    const test::Trees b = BuildBlock(block);
    ASSERT_TRUE(b.built);
    const std::array<uint32_t, 4> sizes = block.ExactSizes();
    for (uint32_t t = 0; t < 4; ++t) EXPECT_EQ(TreeSize(b.memory.data(), t), sizes[t]);
    // Leaves: 0x10 20 30 4242 100..113 200 5 102 and the recent-value leaf as 0: 1 is free.
    const uint32_t free = FreeValue(b.memory.data());
    EXPECT_EQ(free, 1u);
    // Internal nodes hold the size of their 0-branch and the free value; leaves their value
    // twice (lookups and walks are checked by decoding, below and in the full-block tests).
    EXPECT_EQ(tuple(b.Entry(0, 0), b.Entry(0, 1), b.Entry(0, 2), b.Entry(0, 4), b.Entry(3, 4)),
              tuple((1u << 16) | free, 0x00100010u, (1u << 16) | free, 0x00300030u, 0u));
    EXPECT_EQ(Lookup(b, 2, 0xFFF), b.Location(2, 24) << 8 | 12);  // the lookup stops at depth 12
    // Spare entries behind the nodes: slot 2 takes the second.
    const TreeRecord type = LoadTreeRecord(b.memory.data(), 3);
    EXPECT_EQ(tuple(type.resetEntry, type.slots[0], type.slots[1], type.slots[2]),
              tuple(0u, b.Location(3, 4), b.Location(3, 6), b.Location(3, 7)));
    EXPECT_EQ(NodeCount(b.memory.data(), 3), 5u);
}

TEST(VideoTrees, FreeValueSkipsEveryStoredValueOfAllTrees) {
    TreeBlockWriter w;
    w.Present(BalancedShape({1, 2, 3}), {0x500, 0x501, 0x502});  // no leaf of value 0
    w.Present(BalancedShape({0, 4}), {0x500, 0x501, 0x502});
    w.Absent();
    w.Present(BalancedShape({6, 5}), {0x500, 0x501, 0x502});
    const test::Trees b = BuildBlock(w);
    ASSERT_TRUE(b.built);
    EXPECT_EQ(FreeValue(b.memory.data()), 7u);

    TreeBlockWriter noZero;  // nothing uses 0 and no marker matches: 0 itself is free
    noZero.Present(BalancedShape({1, 2}), {9, 9, 9});
    for (int32_t v : {3, 4, 5}) noZero.Present({v}, {9, 9, 9});
    const test::Trees z = BuildBlock(noZero);
    ASSERT_TRUE(z.built);
    EXPECT_EQ(FreeValue(z.memory.data()), 0u);
    EXPECT_EQ(z.Entry(0, 0), 1u << 16);
}

// Markers pick the last matching leaf or a spare entry; byte trees may be reused.
TEST(VideoTrees, MarkersAndAbsentTrees) {
    // Leaves 0x30 twice: the later one becomes slot 2. Marker 1 (0x77) matches nothing.
    const test::Trees b =
        BuildBlock(OneTree(BalancedShape({0x30, 0x40, 0x30, 0x50}), {0x77, 0x30, 0x50}));
    ASSERT_TRUE(b.built);
    // Pre-order: I I 30 40 I 30 50 -> the second 0x30 is node 5, 0x50 node 6; slot 1 takes the
    // spare just behind the last node. Every matching leaf is stored as 0, even when superseded.
    const TreeRecord r = LoadTreeRecord(b.memory.data(), 0);
    EXPECT_EQ(tuple(r.slots[0], r.slots[1], r.slots[2]),
              tuple(b.Location(0, 7), b.Location(0, 5), b.Location(0, 6)));
    EXPECT_EQ(tuple(b.Entry(0, 2), b.Entry(0, 3), b.Entry(0, 5)), tuple(0u, 0x00400040u, 0u));

    // An absent tree: slots on its first entry, no nodes, no lookup table.
    const uint32_t first = NodeArrayOffset(b.memory.data(), 1);
    const TreeRecord absent = LoadTreeRecord(b.memory.data(), 1);
    EXPECT_EQ(tuple(absent.resetEntry, absent.slots[0], absent.slots[1], absent.slots[2]),
              tuple(0u, first, first, first));
    EXPECT_EQ(tuple(NodeCount(b.memory.data(), 1), Lookup(b, 1, 5)), tuple(0u, 0u));

    // Absent byte trees keep the ones read before.
    TreeBlockWriter w = OneTree(BalancedShape({0x0101, 0x0202}), {9, 9, 9}, 0);
    w.Present(BalancedShape({0x0202, 0x0101}), {9, 9, 9}, false, false);
    w.Absent();
    w.Absent();
    const test::Trees reused = BuildBlock(w);
    ASSERT_TRUE(reused.built);
    EXPECT_EQ(tuple(reused.Entry(1, 1), reused.Entry(1, 2)), tuple(0x02020202u, 0x01010101u));
}

TEST(VideoTrees, RefusesBlocksThatBreakTheLimits) {
    const TreeBlockWriter good = SampleBlock();
    const std::array<uint32_t, 4> exact = good.ExactSizes();
    const uint32_t size = good.BlockSize();
    EXPECT_TRUE(BuildBlock(good, exact, size).built);
    // Node array plus spare entries must fit each tree size.
    for (uint32_t t = 0; t < 4; ++t) {
        std::array<uint32_t, 4> small = exact;
        small[t] -= 4;
        EXPECT_FALSE(BuildBlock(good, small, size).built) << "tree " << t;
    }
    // Sizes must be multiples of 4 and at least 12; the whole memory below 16 MiB; the stream
    // must end inside the block.
    const uint32_t rest = (1u << 24) - 53352 - exact[0] - exact[1] - exact[2];
    EXPECT_FALSE(BuildBlock(good, {exact[0] + 2, exact[1], exact[2], exact[3]}, size).built);
    EXPECT_FALSE(BuildBlock(good, {exact[0], exact[1], exact[2], 8}, size).built);
    EXPECT_FALSE(BuildBlock(good, {exact[0], exact[1], exact[2], rest}, size).built);
    EXPECT_FALSE(BuildBlock(good, exact, size - 1).built);

    // A value tree whose byte trees were never read.
    TreeBlockWriter noBytes;
    noBytes.Present({0x10}, {1, 2, 3}, true, false);
    EXPECT_FALSE(BuildBlock(noBytes, {16, 12, 12, 12}, noBytes.BlockSize()).built);

    // A byte tree beyond 512 entries (300 leaves, 599 entries).
    TreeBlockWriter bigByteTree;
    BitWriter& s = bigByteTree.Stream();
    s.Bits(3, 2);  // a present value tree with a low-byte tree
    for (int32_t v : BalancedShape(std::vector<int32_t>(300, 7))) {
        s.Bit(v == kInternal ? 1 : 0);
        if (v != kInternal) s.Bits(static_cast<uint32_t>(v), 8);
    }
    s.Bits(0, 65);
    EXPECT_FALSE(BuildBlock(bigByteTree, {4096, 12, 12, 12}, bigByteTree.BlockSize()).built);

    // 65536 leaves on the root's 0-branch cannot be counted in 16 bits.
    std::vector<int32_t> values(65536);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<int32_t>(i % 60000);
    std::vector<int32_t> shape = BalancedShape(values);
    shape.insert(shape.begin(), kInternal);
    shape.push_back(65536 % 60000);
    EXPECT_FALSE(BuildBlock(OneTree(shape, {60001, 60001, 60001})).built);
}

// The slots as the format defines them, one value at a time.
struct ReferenceSlots {
    uint32_t slot[3];
    uint32_t Take(uint32_t value) {
        if (value != slot[0]) {
            slot[2] = slot[1];
            slot[1] = slot[0];
        }
        slot[0] = value;
        return value;
    }
};

RegisterSlots SlotsHolding(const ReferenceSlots& r) {
    ValueTree tree{};
    for (int s = 0; s < 3; ++s) tree.recent[s] = r.slot[s];
    return RegisterSlots(tree);
}

// Plain values and runs in random order, over so few distinct values that slot contents are
// often equal: the registers, the outputs and the tracked equalities must follow the reference.
TEST(SlotRuns, RunsAndPlainValuesMoveTheSlotsAsSingleCodesDo) {
    std::mt19937 generator(7);
    const auto random = [&generator] { return static_cast<uint32_t>(generator()); };
    for (int trial = 0; trial < 200; ++trial) {
        ReferenceSlots reference{{random() % 3u, random() % 3u, random() % 3u}};
        RegisterSlots slots = SlotsHolding(reference);
        for (int op = 0; op < 60; ++op) {
            if (random() % 2) {
                const uint32_t value = random() % 4;
                slots.Take(value);
                reference.Take(value);
            } else {
                const uint32_t sequence = random() % kRunSequences;
                uint32_t out[kMaxRunCodes];
                slots.Run(sequence * kEqualityPatterns, out);
                uint32_t codes = sequence;
                for (uint32_t c = 0; c < kMaxRunCodes; ++c, codes /= 3) {
                    const uint32_t slot = c < kRunSlotCodes ? codes % 3 : 0;
                    ASSERT_EQ(out[c], reference.Take(reference.slot[slot]))
                        << "trial " << trial << " op " << op << " code " << c;
                }
            }
            ASSERT_EQ(tuple(slots.first, slots.second, slots.third, slots.pattern),
                      tuple(reference.slot[0], reference.slot[1], reference.slot[2],
                            SlotsHolding(reference).pattern));
        }
    }
}

// Decodes `chunk` with both full-block decoders onto pictures `width` x 4 in 8-bit, doubled
// and 16-bit layouts, and checks every pixel against the index `expected(x, y)`.
template <class Expected>
void ExpectFromBothDecoders(test::Trees& trees, const test::ChunkWriter& chunk, uint32_t width,
                            Expected expected) {
    ASSERT_TRUE(trees.built);
    const std::vector<uint8_t> bytes = chunk.Bytes();
    for (const uint32_t useRuns : {0u, 1u}) {
        trees.runs->worthwhile = useRuns;
        for (const bool wide : {false, true}) {
            const bool doubled = !wide;
            test::TestPicture picture(
                {.width = width, .codedHeight = 4, .wide = wide, .doubled = doubled});
            DecodeVideoFrame(bytes.data(), chunk.Size(), trees.memory.data(), trees.runs.get(),
                             picture.Dest());
            for (uint32_t y = 0; y < picture.DisplayLines(); ++y) {
                for (uint32_t x = 0; x < width; ++x) {
                    const uint32_t index = expected(x, doubled ? y / 2 : y);
                    ASSERT_EQ(picture.At(x, y), wide ? picture.Colours()[index] : index)
                        << "runs " << useRuns << " wide " << wide << " at " << x << "," << y;
                }
            }
            EXPECT_TRUE(picture.GuardsIntact());
        }
    }
}

// Hand-built full-block trees whose recent-value codes are short: runs must stop where the
// full blocks end (the type code after them may look like more recent-value codes), and a tree
// that is one recent-value leaf yields codes of no bits at all.
TEST(FullBlockDecoders, RunsStopAtTheBlocksEndAndCodesMayBeEmpty) {
    using namespace test;
    constexpr int32_t kSlot0 = 0xDEAD;  // the trees' slot-0 marker
    // The second block is full or solid, so that every type code follows a full block once.
    for (const uint32_t second : {0x00u, 0x11u, 0x22u, 0x33u}) {
        Trees trees = MakeTrees({0}, {0}, {kSlot0, 0x1234, 0x5678, 0x9ABC},
                                {TypeWord(kFull, 0), TypeWord(kSolid, 0, 0x11),
                                 TypeWord(kSolid, 0, 0x22), TypeWord(kSolid, 0, 0x33)});
        ChunkWriter chunk(trees.block);
        const auto fullBlock = [&](int32_t value) {
            chunk.Type(kFull, 0).Value(2, value);
            for (int i = 0; i < 7; ++i) chunk.Value(2, kSlot0);
        };
        fullBlock(0x1234);
        if (second == 0) fullBlock(0x5678);
        if (second != 0) chunk.Type(kSolid, 0, second);
        chunk.Type(kSolid, 0, 0x33);
        const uint32_t blocks[3][2] = {
            {0x34, 0x12}, {second ? second : 0x78, second ? second : 0x56}, {0x33, 0x33}};
        ExpectFromBothDecoders(trees, chunk, 12,
                               [&](uint32_t x, uint32_t) { return blocks[x / 4][x % 2]; });
    }
    Trees single = MakeTrees({0}, {0}, {kSlot0}, {TypeWord(kFull, 1)});
    EXPECT_EQ(single.runs->worthwhile, 1u);
    ChunkWriter chunk(single.block);
    chunk.Type(kFull, 1);
    ExpectFromBothDecoders(single, chunk, 8, [](uint32_t, uint32_t) { return 0u; });
}

// A recent-value leaf deeper than the lookup is reached by walking, and must still yield the
// slot's current content: a full-block tree with the slot-0 leaf one bit deep (so runs start at
// half the indices), the slot-1 leaf 14 bits deep and a slot-2 leaf among the others.
TEST(FullBlockDecoders, DeepRecentValueLeavesYieldTheSlots) {
    using namespace test;
    constexpr int32_t kSlot0 = 0xDEAD, kSlot1 = 0xDEAE, kSlot2 = 0xDEAF;
    std::vector<int32_t> shape = {kInternal, kSlot0, kInternal, 0x1111};
    for (int i = 0; i < 12; ++i) shape.push_back(kInternal);
    shape.insert(shape.end(), {kSlot1, 0x2222});
    for (int32_t i = 0; i < 12; ++i) shape.push_back(i == 5 ? kSlot2 : 0x3000 + i);
    Trees trees = MakeTreesFromShapes(
        {BalancedShape({0}), BalancedShape({0}), shape, BalancedShape({TypeWord(kFull, 1)})});
    ChunkWriter chunk(trees.block);
    chunk.Type(kFull, 1);
    ReferenceSlots reference{{0, 0, 0}};
    uint32_t values[16];
    int c = 0;
    for (const int32_t code : {0x1111, 0x3004, kSlot1, kSlot0, kSlot2, 0x2222, kSlot1, kSlot2,
                               kSlot0, 0x3000, kSlot2, kSlot1, kSlot0, kSlot2, kSlot0, kSlot1}) {
        chunk.Value(2, code);
        const int32_t slot = code - kSlot0;
        values[c++] = reference.Take(slot >= 0 && slot < 3 ? reference.slot[slot]
                                                           : static_cast<uint32_t>(code));
    }
    // Each row is coded right half first; each value's low byte is on the left.
    ExpectFromBothDecoders(trees, chunk, 8, [&](uint32_t x, uint32_t y) {
        const uint32_t value = values[8 * (x / 4) + 2 * y + (x % 4 < 2 ? 1 : 0)];
        return x % 2 ? value >> 8 : value & 0xFF;
    });
}

}  // namespace
}  // namespace tavik
