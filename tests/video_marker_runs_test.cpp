// The full-block decoders: the run decoder's slot transitions against code-by-code decoding, and
// hand-built blocks decoded by both.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "support/test_picture.h"
#include "support/test_trees.h"
#include "video/slot_runs.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

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
            ASSERT_EQ(slots.first, reference.slot[0]);
            ASSERT_EQ(slots.second, reference.slot[1]);
            ASSERT_EQ(slots.third, reference.slot[2]);
            ASSERT_EQ(slots.pattern, SlotsHolding(reference).pattern);
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
// half the indices) and the slot-1 leaf 14 bits deep.
TEST(FullBlockDecoders, DeepRecentValueLeavesYieldTheSlots) {
    using namespace test;
    constexpr int32_t kSlot0 = 0xDEAD, kSlot1 = 0xDEAE;
    std::vector<int32_t> shape = {kInternal, kSlot0, kInternal, 0x1111};
    for (int i = 0; i < 12; ++i) shape.push_back(kInternal);
    shape.insert(shape.end(), {kSlot1, 0x2222});
    for (int32_t i = 0; i < 12; ++i) shape.push_back(0x3000 + i);
    Trees trees = MakeTreesFromShapes(
        {BalancedShape({0}), BalancedShape({0}), shape, BalancedShape({TypeWord(kFull, 1)})});
    ChunkWriter chunk(trees.block);
    chunk.Type(kFull, 1);
    ReferenceSlots reference{{0, 0, 0}};
    uint32_t values[16];
    int c = 0;
    for (const int32_t code : {0x1111, 0x3005, kSlot1, kSlot0, kSlot1, 0x2222, kSlot1, kSlot1,
                               kSlot0, 0x3000, kSlot0, kSlot1, kSlot0, kSlot0, kSlot0, kSlot1}) {
        chunk.Value(2, code);
        values[c++] = reference.Take(code == kSlot0   ? reference.slot[0]
                                     : code == kSlot1 ? reference.slot[1]
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
