// The change-rectangle search over the change map, and the colour remapping of the trees.
#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

#include "support/test_picture.h"
#include "support/test_trees.h"
#include "video/frame_helpers.h"
#include "video/tree_memory.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

using test::MakeTrees;
using test::TestPicture;
using test::TypeWord;
using Rect = std::array<uint32_t, 4>;

// All rectangles the search gives for `map` on a picture of the given size.
std::vector<Rect> Rects(uint32_t width, uint32_t height, const std::vector<uint8_t>& map) {
    TestPicture picture({.width = width, .codedHeight = height});
    std::fill(picture.Map(), picture.Map() + picture.MapBytes(), 0);
    std::copy(map.begin(), map.end(), picture.Map());
    std::vector<Rect> out;
    Rect r;
    while (NextChangeRect(picture.Dest(), r.data()) == 1 && out.size() < 100) out.push_back(r);
    EXPECT_EQ(NextChangeRect(picture.Dest(), r.data()), 0u);  // stays done
    return out;
}

TEST(VideoChangeRect, RectanglesFollowTheChangedGroups) {
    struct Case {
        uint32_t width, height;
        std::vector<uint8_t> map;
        std::vector<Rect> rects;
    };
    const Case cases[] = {
        {320, 8, std::vector<uint8_t>(10, 0), {}},
        {320, 8, std::vector<uint8_t>(10, 1), {{0, 0, 320, 4}, {0, 4, 320, 4}}},
        // Runs of changed groups within a row, each ended by an unchanged one.
        {320,
         8,
         {1, 1, 0, 1, 0, 0, 0, 0, 1, 1},
         {{0, 0, 128, 4}, {192, 0, 64, 4}, {192, 4, 128, 4}}},
        // Groups crossing row ends: 96 pixels are one and a half groups per block row.
        {96, 8, {0, 1, 0}, {{64, 0, 32, 4}, {0, 4, 32, 4}}},
        // Resuming a crossing group looks two groups ahead: one unchanged group is taken in...
        {96, 12, {0, 1, 0, 1, 0}, {{64, 0, 32, 4}, {0, 4, 96, 4}, {0, 8, 64, 4}}},
        {96, 12, {0, 1, 0, 0, 1}, {{64, 0, 32, 4}, {0, 4, 32, 4}, {64, 8, 32, 4}}},  // ...not two
        {320, 8, {0, 0, 0, 0, 0, 1, 0, 0, 0, 0}, {{0, 4, 64, 4}}},  // 80 blocks a row
        {160, 8, {0, 0, 1, 0, 0}, {{128, 0, 32, 4}, {0, 4, 32, 4}}},
        // 32 pixels wide: one group covers two block rows.
        {32, 8, {1}, {{0, 0, 32, 4}, {0, 4, 32, 4}}},
        {32, 16, {0, 1}, {{0, 8, 32, 4}, {0, 12, 32, 4}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rects(c.width, c.height, c.map), c.rects) << testing::PrintToString(c.map);

    // Every decoded frame starts the search over.
    TestPicture picture({.width = 64, .codedHeight = 4});
    test::Trees trees = MakeTrees({}, {}, {}, {TypeWord(test::kSolid, 63, 1)});
    test::ChunkWriter chunk(trees.block);
    chunk.Type(test::kSolid, 63, 1);
    const std::vector<uint8_t> bytes = chunk.Bytes();
    Rect r;
    for (int frame = 0; frame < 2; ++frame) {
        DecodeVideoFrame(bytes.data(), chunk.Size(), trees.memory.data(), trees.runs.get(),
                         picture.Dest());
        ASSERT_EQ(NextChangeRect(picture.Dest(), r.data()), 1u);
        EXPECT_EQ(r, (Rect{0, 0, 64, 4}));
        EXPECT_EQ(NextChangeRect(picture.Dest(), r.data()), 0u);
    }
}

// Trees whose leaves carry known colours: colour pairs, full-block pixel pairs, and type words
// of solid and other blocks.
TEST(VideoRemap, RewritesOutputValuesAndFindsTheUsedColours) {
    test::Trees t = MakeTrees({0x1234, 0x0001}, {0x0201, 0x0403}, {0x0605, 0x0007},
                              {TypeWord(test::kSolid, 0, 0x08), TypeWord(test::kSkip, 0),
                               TypeWord(test::kTwoColour, 0), 0x7777},
                              {0x7777, 0xDEAE, 0xDEAF});
    ASSERT_TRUE(t.built);
    // Pairs 01 02 03 04, pixels 05 06 07 00, solid colour 08; not the masks nor other types.
    std::array<uint8_t, 256> used{};
    FindUsedColours(t.memory.data(), used.data());
    for (uint32_t i = 0; i < 256; ++i) EXPECT_EQ(used[i] != 0, i <= 8) << i;

    const std::vector<uint8_t> original = t.memory;
    std::array<uint8_t, 256> identity, a, b;
    std::iota(identity.begin(), identity.end(), 0);
    for (uint32_t i = 0; i < 256; ++i) a[i] = uint8_t(i * 7 + 3), b[i] = uint8_t(i * 7 + 11);
    RemapTreeColours(t.memory.data(), identity.data());
    EXPECT_EQ(t.memory, original);
    // Remapping reads the stored values: a then b is b alone.
    RemapTreeColours(t.memory.data(), a.data());
    RemapTreeColours(t.memory.data(), b.data());
    std::vector<uint8_t> composed = t.memory;
    t.memory = original;
    RemapTreeColours(t.memory.data(), b.data());
    EXPECT_EQ(composed, t.memory);

    // Colour and full-block leaves map both bytes; solid type words only their colour; the mask
    // tree and other type words stay; the reset entries take colour 0's new index twice.
    const uint8_t* trees = t.memory.data();
    auto entry = [&](uint32_t tree, uint32_t index) {
        return Load32(trees + NodeArrayOffset(trees, tree) + 4 * index);
    };
    EXPECT_EQ(entry(0, 1), 0x12341234u);
    EXPECT_EQ(entry(1, 1), uint32_t(b[2] << 8 | b[1]) << 16 | 0x0201);
    EXPECT_EQ(entry(2, 2), uint32_t(b[0] << 8 | b[7]) << 16 | 0x0007);
    EXPECT_EQ(entry(3, 2), uint32_t(b[8] << 8 | 0x03) << 16 | 0x0803);  // solid, colour 8
    EXPECT_EQ(entry(3, 3), 0x00020002u);                                // skip
    for (uint32_t tree : {1u, 2u})
        EXPECT_EQ(LoadTreeRecord(trees, tree).resetEntry, uint32_t(b[0]) * 257 << 16);
    EXPECT_EQ(LoadTreeRecord(trees, 3).resetEntry, 0u);
}

}  // namespace
}  // namespace tavik
