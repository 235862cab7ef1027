// Video and palette chunks built by hand, every picture layout, and the helpers that read the
// result (change rectangles, colour remapping).
#include "video/video_decoder.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "support/movie_chunks.h"
#include "support/test_picture.h"
#include "support/test_trees.h"
#include "video/frame_helpers.h"
#include "video/palette_decoder.h"
#include "video/tree_memory.h"
#include "video/trees.h"

namespace tavik {
namespace {

using namespace test;  // the picture, tree and chunk writers

void Decode(const ChunkWriter& chunk, Trees& trees, TestPicture& picture, uint8_t margin = 0) {
    ASSERT_TRUE(trees.built);
    const std::vector<uint8_t> bytes = chunk.Bytes(margin);
    DecodeVideoFrame(bytes.data(), chunk.Size(), trees.memory.data(), trees.runs.get(),
                     picture.Dest());
    EXPECT_TRUE(picture.GuardsIntact());
}

// Each layout gets the pixels of the plain 8-bit picture in its own places, frame by frame
// through the conformance movie of every block type (which the conformance test decodes
// exactly). Pixels no frame writes differ between two plain pictures of different fills.
class VideoDecoderLayout : public testing::TestWithParam<PictureOptions> {};

TEST_P(VideoDecoderLayout, WritesEveryPixelWhereTheLayoutPutsIt) {
    std::ifstream in(std::string(TAVIK_CONFORMANCE_DIR) + "/blocks_64x48.tvk", std::ios::binary);
    MovieChunks m({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
    ASSERT_TRUE(m.ok);
    PictureOptions options = GetParam();
    options.width = m.width;
    options.codedHeight = m.height;
    TestPicture picture(options), plain({.width = m.width, .codedHeight = m.height}),
        other({.width = m.width, .codedHeight = m.height, .fill = 0x11});
    const bool twoLines = options.doubled || options.interlaced;
    for (const MovieChunks::FrameChunks& f : m.frames) {
        for (TestPicture* p : {&picture, &plain, &other})
            DecodeVideoFrame(f.video, f.videoSize, m.trees.data(), m.runs.get(), p->Dest());
        for (uint32_t line = 0; line < picture.DisplayLines(); ++line) {
            for (uint32_t x = 0; x < m.width; ++x) {
                const uint32_t row = twoLines ? line / 2 : line, index = plain.At(x, row);
                const bool written =
                    (!options.interlaced || line % 2 == 0) && index == other.At(x, row);
                const uint32_t expected = !written       ? (options.wide ? 0xEEEE : 0xEE)
                                          : options.wide ? picture.Colours()[index]
                                                         : index;
                ASSERT_EQ(picture.At(x, line), expected) << "x " << x << " line " << line;
            }
        }
    }
    EXPECT_TRUE(picture.GuardsIntact());
}

// 8-bit and 16-bit pictures, doubled, interlaced and bottom-up (plain 8-bit ones are the
// conformance test's).
INSTANTIATE_TEST_SUITE_P(
    Layouts, VideoDecoderLayout,
    testing::Values(PictureOptions{.doubled = true}, PictureOptions{.bottomUp = true},
                    PictureOptions{.wide = true}, PictureOptions{.wide = true, .doubled = true},
                    PictureOptions{.wide = true, .interlaced = true},
                    PictureOptions{.wide = true, .doubled = true, .bottomUp = true}));

TEST(VideoDecoder, ChangeMapIsDecidedByTheFirstRunThatClosesAGroup) {
    // 80 blocks per row, 2 block rows: 10 groups, group 5 = blocks 80-95.
    TestPicture picture({.width = 320, .codedHeight = 8});
    std::memset(picture.Map(), 0x77, picture.MapBytes());
    Trees trees = MakeTrees({}, {}, {},
                            {TypeWord(kSkip, 19), TypeWord(kSolid, 0, 4), TypeWord(kSkip, 58),
                             TypeWord(kSolid, 15, 5), TypeWord(kSkip, 63)});
    ChunkWriter c(trees.block);
    c.Type(kSkip, 19).Type(kSolid, 0, 4).Type(kSkip, 58).Type(kSolid, 15, 5).Type(kSkip, 63);
    Decode(c, trees, picture);
    const std::vector<uint8_t> expected = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(picture.Map(), picture.Map() + 11), expected);

    // A frame of skip blocks only leaves every group 0.
    std::memset(picture.Map(), 0x77, picture.MapBytes());
    ChunkWriter skips(trees.block);
    skips.Type(kSkip, 63);
    Decode(skips, trees, picture);
    EXPECT_EQ(std::vector<uint8_t>(picture.Map(), picture.Map() + 11), std::vector<uint8_t>(11, 0));
}

TEST(VideoDecoder, AChunkThatRunsOutStopsWhereItsDataEnds) {
    TestPicture picture({.width = 64, .codedHeight = 8});  // 32 blocks, 2 groups
    std::memset(picture.Map(), 0x77, picture.MapBytes());
    std::vector<int32_t> fulls;
    for (int32_t v = 0; v < 256; ++v) fulls.push_back(v * 0x0101);
    Trees trees = MakeTrees({}, {}, fulls, {TypeWord(kFull, 63), TypeWord(kSolid, 0, 1)});
    ChunkWriter c(trees.block);
    c.Type(kSolid, 0, 1).Type(kFull, 63);
    for (int row = 0; row < 3 * 4; ++row) c.FullRow(0x0505, 0x0606);  // three blocks
    // The margin behind the chunk is not data: it must not be decoded as blocks.
    Decode(c, trees, picture, 0xFF);
    EXPECT_EQ(picture.At(0, 0), 1u);
    // Every block of the first piece is decoded (its data began inside the chunk); the stream is
    // checked again before the next block row, which stays as it was.
    EXPECT_EQ(std::tuple(picture.At(4, 0), picture.At(14, 3)), std::tuple(0x06u, 0x05u));
    for (uint32_t x = 0; x < 64; ++x) ASSERT_EQ(picture.At(x, 4), 0xEEu) << x;
    EXPECT_EQ(std::vector<uint8_t>(picture.Map(), picture.Map() + 3),
              (std::vector<uint8_t>{1, 1, 0}));
}

// Chunks that ask for a missing tree stop there; pictures of no blocks get only the map's end.
TEST(VideoDecoder, MissingTreesAndEmptyPicturesDecodeNothing) {
    TestPicture picture({.width = 16, .codedHeight = 4});
    Trees noTypes = MakeTrees({0x1}, {0x1}, {0x1}, {});
    ChunkWriter c(noTypes.block);
    c.Stream().Bits(0, 64);
    std::memset(picture.Map(), 0x77, picture.MapBytes());
    Decode(c, noTypes, picture);
    EXPECT_EQ(picture.At(0, 0), 0xEEu);
    EXPECT_EQ(picture.Map()[0] | picture.Map()[1], 0);

    // A two-colour run without a colour tree stops the frame.
    Trees noColours = MakeTrees({0x1}, {}, {}, {TypeWord(kSolid, 0, 7), TypeWord(kTwoColour, 0)});
    ChunkWriter twoColour(noColours.block);
    twoColour.Type(kSolid, 0, 7).Type(kTwoColour, 0).Type(kSolid, 0, 7);
    Decode(twoColour, noColours, picture);
    EXPECT_EQ(std::tuple(picture.At(0, 0), picture.At(4, 0), picture.At(8, 0)),
              std::tuple(7u, 0xEEu, 0xEEu));

    Trees solid = MakeTrees({}, {}, {}, {TypeWord(kSolid, 63, 9)});
    ChunkWriter fill(solid.block);
    fill.Type(kSolid, 63, 9);
    for (auto [rows, perRow] : {std::pair{0u, 4u}, std::pair{1u, 0u}}) {
        picture.Dest()->blockRows = rows;
        picture.Dest()->blocksPerRow = perRow;
        picture.Map()[0] = 0x77;
        Decode(fill, solid, picture);
        EXPECT_EQ(std::tuple(picture.At(0, 0), picture.Map()[0]), std::tuple(7u, 0));
    }
    // 16-bit pixels need a colour table.
    TestPicture wide({.width = 8, .codedHeight = 4, .wide = true});
    wide.Dest()->colourTable = nullptr;
    Decode(fill, solid, wide);
    EXPECT_EQ(wide.At(0, 0), 0xEEEEu);
}

using Palette = std::array<uint8_t, 768>;

Palette Numbered() {
    Palette p;
    for (uint32_t i = 0; i < 768; ++i) p[i] = static_cast<uint8_t>(i / 3 + i % 3 * 85);
    return p;
}

struct Case {
    std::vector<uint8_t> codes;                        // after the length byte
    std::vector<std::array<uint32_t, 3>> runs;         // entries to, from the old from, count
    std::vector<std::array<uint8_t, 4>> colours = {};  // entry, red, green, blue
};

TEST(VideoPalette, ChunksRewriteOnlyTheirEntries) {
    const Case cases[] = {
        {{0x80, 0x41, 0x00, 0xFF, 0xFF}, {{1, 0, 2}}},  // overlapping: copies the old entries
        // Six bits widen to eight; green and blue of 64 or more use their low six bits.
        {{0x3F, 0x3F, 0x3F, 0x00, 0x00, 0x00, 0x20, 0x10, 0x01, 0x01, 0x7F, 0xC0, 0xFF},
         {},
         {{0, 255, 255, 255}, {1, 0, 0, 0}, {2, 130, 65, 4}, {3, 4, 255, 0}}},
        {{0xFF, 0xF9, 0x7F, 240}, {{250, 240, 6}}},  // a copy run clamped at entry 255
        {{0x43, 250, 0xFF, 0xFF}, {{0, 250, 4}}},
        {{0x4F, 250, 0xFF, 0xFF}, {{0, 250, 6}}},               // a source past 255 keeps the rest
        {{0x01, 0x02, 0x03, 0x3F, 0x3F}, {}, {{0, 4, 8, 12}}},  // a code cut short
        {{0x80, 0x7F}, {}},  // a copy code without its start index
        {{}, {}},            // nothing but the length byte
    };
    const Palette before = Numbered();
    for (const Case& c : cases) {
        Palette expected = before;
        for (const auto& [to, from, count] : c.runs)
            std::copy_n(before.begin() + 3 * from, 3 * count, expected.begin() + 3 * to);
        for (const auto& [entry, r, g, b] : c.colours)
            expected[3 * entry] = r, expected[3 * entry + 1] = g, expected[3 * entry + 2] = b;
        // From a buffer exactly as long as the chunk.
        std::vector<uint8_t> chunk = {static_cast<uint8_t>((c.codes.size() + 4) / 4)};
        chunk.insert(chunk.end(), c.codes.begin(), c.codes.end());
        Palette palette = before;
        DecodePaletteChunk(chunk.data(), static_cast<uint32_t>(chunk.size()), palette.data());
        EXPECT_EQ(palette, expected) << testing::PrintToString(c.codes);
        DecodePaletteChunk(chunk.data(), 0, palette.data());
        EXPECT_EQ(palette, expected);
    }
}

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
    Rect r;
    for (int frame = 0; frame < 2; ++frame) {
        Decode(chunk, trees, picture);
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
    EXPECT_EQ(t.Entry(0, 1), 0x12341234u);
    EXPECT_EQ(t.Entry(1, 1), uint32_t(b[2] << 8 | b[1]) << 16 | 0x0201);
    EXPECT_EQ(t.Entry(2, 2), uint32_t(b[0] << 8 | b[7]) << 16 | 0x0007);
    EXPECT_EQ(t.Entry(3, 2), uint32_t(b[8] << 8 | 0x03) << 16 | 0x0803);  // solid, colour 8
    EXPECT_EQ(t.Entry(3, 3), 0x00020002u);                                // skip
    for (uint32_t tree : {1u, 2u})
        EXPECT_EQ(LoadTreeRecord(t.memory.data(), tree).resetEntry, uint32_t(b[0]) * 257 << 16);
    EXPECT_EQ(LoadTreeRecord(t.memory.data(), 3).resetEntry, 0u);
}

}  // namespace
}  // namespace tavik
