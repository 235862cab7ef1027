// Whole movies from the encoder, read back by the engine: pictures, palettes, runs,
// recent-value leaves, the free value and the container layout.
#include <gtest/gtest.h>

#include <functional>

#include "encoder/encoder.h"
#include "encoder_scene.h"
#include "support/decoded_movie.h"

namespace tavik::enc {
namespace {

using tavik::test::MovieChunks;
using test::HasRecentLeaf;
using test::Ramp;
using test::SceneMovie;
using test::TypeWords;

// Encodes and decodes the movie in order, checking every picture and palette and the tree sizes;
// the trees are built by the engine, which refuses trees without a free value.
MovieChunks RoundTrip(const MovieSpec& plan, const EncodeOptions& options = {}) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(EncodeMovie(plan, options, bytes, error)) << error;
    const tavik::test::DecodedMovie decoded =
        tavik::test::DecodeMovie(bytes, static_cast<int>(plan.frames.size()));
    EXPECT_TRUE(decoded.ok && decoded.frames.size() == plan.frames.size());
    Palette palette{};
    for (size_t i = 0; i < decoded.frames.size(); ++i) {
        if (plan.frames[i].palette) palette = QuantizePalette(*plan.frames[i].palette);
        EXPECT_EQ(decoded.frames[i].indices, plan.frames[i].pixels) << "frame " << i;
        EXPECT_TRUE(std::ranges::equal(decoded.frames[i].palette, palette)) << "frame " << i;
    }
    MovieChunks movie(bytes);
    EXPECT_TRUE(movie.ok);
    for (uint32_t t = 0; t < 4 && movie.ok; ++t)
        EXPECT_EQ(TreeSize(movie.trees.data(), t), 4 * NodeCount(movie.trees.data(), t) + 12);
    return movie;
}

TEST(EncoderVideo, EveryBlockTypeRoundTripsAndEachCanBeTurnedOff) {
    const MovieSpec plan = SceneMovie(64, 48, 5);
    EncodeOptions fullOnly;
    fullOnly.allowSkip = fullOnly.allowSolid = fullOnly.allowTwoColour = false;
    for (const EncodeOptions& options : {EncodeOptions{}, fullOnly}) {
        const bool all = options.allowSkip;
        MovieChunks movie = RoundTrip(plan, options);
        EXPECT_EQ(TypeWords(movie, 0)[2], 0u) << "frame 0 has no skip blocks";
        std::array<uint32_t, 4> sum{};
        for (size_t i = 0; i < movie.frames.size(); ++i)
            for (int t = 0; t < 4; ++t) sum[t] += TypeWords(movie, i)[t];
        for (int t = 0; t < 4; ++t) EXPECT_EQ(sum[t] > 0, all || t == 1) << "block type " << t;
        for (uint32_t t : {kMaskTree, kColourTree})
            EXPECT_EQ(NodeCount(movie.trees.data(), t) != 0, all) << t;
    }
    EXPECT_EQ(EncodeMovie(plan), EncodeMovie(plan));
}

// Widths whose block rows do not hold whole groups of 16 blocks, long runs that cross rows,
// and a frame that changes nothing.
TEST(EncoderVideo, LongRunsAcrossBlockRowsAndSkipOnlyFrames) {
    for (uint32_t width : {96u, 100u, 4u}) {
        MovieSpec plan;
        plan.width = width;
        plan.height = 64;
        std::vector<uint8_t> base(size_t{width} * 64, 3), changed = base;
        for (size_t i = 0; i < 4; ++i) changed[size_t{width} * 60 + i] = 9;  // the last block row
        for (size_t i = 0; i < width; ++i) changed[size_t{width} * 21 + i] = 5;
        plan.frames = {{base, Ramp(), {}, {}}, {changed, {}, {}, {}}, {changed, {}, {}, {}}};
        MovieChunks movie = RoundTrip(plan);
        EXPECT_EQ(TypeWords(movie, 0), (std::array<uint32_t, 4>{0, 0, 0, 1})) << width;
        EXPECT_EQ(TypeWords(movie, 2), (std::array<uint32_t, 4>{0, 0, 1, 0})) << width;
    }
}

TEST(EncoderVideo, RecentValueLeavesShrinkRepetitiveMovies) {
    // Stripes of two-colour blocks that repeat the previous colour pair and mask.
    MovieSpec plan;
    plan.width = plan.height = 64;
    for (uint32_t t = 0; t < 4; ++t) {
        std::vector<uint8_t> p(64 * 64);
        for (uint32_t y = 0; y < 64; ++y)
            for (uint32_t x = 0; x < 64; ++x)
                p[y * 64 + x] = static_cast<uint8_t>(((x + t) / 2 % 2) ? 10 + y / 4 : 200 + t);
        plan.frames.push_back({p, t == 0 ? std::optional(Ramp()) : std::nullopt, {}, {}});
    }
    size_t sizes[2];
    for (bool markers : {true, false}) {
        EncodeOptions options;
        options.useMarkers = markers;
        const MovieChunks movie = RoundTrip(plan, options);
        bool anyRecentLeaf = false;
        for (uint32_t t = 0; t < 4; ++t) anyRecentLeaf |= HasRecentLeaf(movie.trees, t);
        EXPECT_EQ(anyRecentLeaf, markers);
        sizes[markers] = movie.file.size();
    }
    EXPECT_LT(sizes[1], sizes[0]);
}

TEST(EncoderVideo, PaletteChunksOnlyWhereThePaletteChanges) {
    MovieSpec plan = SceneMovie(64, 48, 6);
    Palette rotated = Ramp(), odd{};
    std::rotate(rotated.begin(), rotated.begin() + 30, rotated.end());
    for (size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<uint8_t>(i * 7);  // not exact
    plan.frames[1].palette = Ramp();  // the same again: no chunk
    plan.frames[2].palette = rotated;
    plan.frames[4].palette = odd;
    plan.frames[5].palette = QuantizePalette(odd);  // equal once stored: no chunk
    const MovieChunks movie = RoundTrip(plan);
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(movie.frames[i].palette != nullptr, i % 2 == 0) << i;
    // A rotation is four copy runs of 64 entries: 9 bytes, padded to 12.
    EXPECT_EQ(movie.frames[2].palette[0], 3);
}

// Full blocks that hold every value but one, plus a two-colour block whose mask is that value:
// the encoder turns the block over so that a free value remains.
TEST(EncoderVideo, FreesATreeValueWhenAllAreUsed) {
    const uint32_t w = 512, h = 260, blocksPerRow = w / 4, twoColour = 8192;
    const uint16_t kept = 0x0102;
    std::vector<uint8_t> p(size_t{w} * h, 0);
    auto setPair = [&](uint32_t block, uint32_t slot, uint16_t v) {
        const uint32_t row = slot / 2, right = slot % 2 == 0;
        uint8_t* px = &p[size_t{block / blocksPerRow * 4 + row} * w + block % blocksPerRow * 4];
        px[right ? 2 : 0] = static_cast<uint8_t>(v);
        px[right ? 3 : 1] = static_cast<uint8_t>(v >> 8);
    };
    for (uint32_t v = 0; v < 65536; ++v) setPair(v / 8, v % 8, v == kept ? kept + 1 : v);
    for (uint32_t slot = 0; slot < 8; ++slot) setPair(twoColour, slot, 0x0101);
    uint8_t* px = &p[size_t{twoColour / blocksPerRow * 4} * w + twoColour % blocksPerRow * 4];
    px[1] = px[w * 2] = 3;  // mask bits 1 and 8
    MovieSpec plan;
    plan.width = w;
    plan.height = h;
    plan.frames.push_back({p, Ramp(), {}, {}});
    RoundTrip(plan);

    // With every pixel pair in full blocks nothing can be freed.
    for (uint32_t v = 0; v < 65536; ++v) setPair(v / 8, v % 8, static_cast<uint16_t>(v));
    plan.frames[0].pixels = p;
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(EncodeMovie(plan, {}, bytes, error));
    EXPECT_NE(error.find("free"), std::string::npos) << error;
    EXPECT_TRUE(bytes.empty());
}

TEST(EncoderMovie, HeaderAndTablesLayout) {
    MovieSpec plan = SceneMovie(64, 48, 3);
    plan.frameRate = -6666;
    plan.ringFrame = plan.interlaced = true;
    plan.tracks[2] = AudioTrackFormat{11025, true, false, true};
    plan.tracks[6] = AudioTrackFormat{8000, true, true, false};
    plan.frames[0].audio[2] = std::vector<uint8_t>(60, 0x80);
    plan.frames[1].audio[2] = std::vector<uint8_t>(100, 0x80);
    plan.frames[1].audio[6] = std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<uint8_t> bytes = EncodeMovie(plan);
    const auto u32 = [&](size_t at) { return MovieChunks::U32(bytes.data() + at); };
    EXPECT_EQ((std::array{u32(4), u32(8), u32(12), u32(20), u32(100)}),
              (std::array<uint32_t, 5>{64, 48, 3, 3, 0}));
    EXPECT_EQ(static_cast<int32_t>(u32(16)), -6666);
    // Per track t: the largest chunk's sound at 24 + 4t, the format at 72 + 4t.
    EXPECT_EQ(u32(72 + 8), 11025u | 1u << 28 | 1u << 30 | 1u << 31);
    EXPECT_EQ(u32(72), 0u);
    EXPECT_EQ(u32(72 + 24), 8000u | 3u << 28 | 1u << 30);
    EXPECT_EQ(u32(24 + 8), 100u);
    EXPECT_EQ(u32(24 + 24), 8u);
    const tavik::test::DecodedMovie decoded = tavik::test::DecodeMovie(bytes);
    ASSERT_EQ(decoded.frames.size(), 4u);
    EXPECT_EQ(decoded.frames[1].sound[2], *plan.frames[1].audio[2]);
    EXPECT_EQ(decoded.frames[1].sound[6], *plan.frames[1].audio[6]);
    const MovieChunks movie(bytes);
    ASSERT_TRUE(movie.ok);
    for (uint32_t t = 0; t < 4; ++t)
        EXPECT_EQ(u32(56 + 4 * t), 4 * NodeCount(movie.trees.data(), t) + 12) << t;
    // Palette bit 0, track t bit t + 1; the ring frame restores frame 0's palette. Frame data
    // starts after the size table, the type table and the tree block, and fills the file.
    const std::vector<uint8_t> types{1 | 8, 8 | 128, 1, 1};
    size_t at = 104 + 5 * types.size() + u32(52);
    EXPECT_EQ(at % 4, 0u);
    for (size_t i = 0; i < types.size(); ++i) {
        EXPECT_EQ(u32(104 + 4 * i) % 4, 0u);
        EXPECT_EQ(bytes[104 + 4 * types.size() + i], types[i]) << i;
        at += u32(104 + 4 * i);
    }
    EXPECT_EQ(at, bytes.size());
    plan.interlaced = plan.ringFrame = false;
    plan.doubled = true;
    EXPECT_EQ(MovieChunks::U32(EncodeMovie(plan).data() + 20), 4u);
}

TEST(EncoderMovie, RefusesWhatItCannotEncode) {
    const std::pair<std::function<void(MovieSpec&)>, const char*> cases[] = {
        {[](MovieSpec& m) { m.width = 62; }, "multiples of 4"},
        {[](MovieSpec& m) { m.frames.clear(); }, ""},
        {[](MovieSpec& m) { m.frames[0].palette.reset(); }, "palette"},
        {[](MovieSpec& m) { m.frames[1].pixels.pop_back(); }, "frame 1"},
        {[](MovieSpec& m) { m.frames[1].audio[3] = std::vector<uint8_t>(10); }, "track 3"},
        {[](MovieSpec& m) {
             m.tracks[3] = AudioTrackFormat{22050, false, true, true};
             m.frames[1].audio[3] = std::vector<uint8_t>(11);
         },
         "sample frames"},
        {[](MovieSpec& m) {
             m.tracks[3] = AudioTrackFormat{0, false, true, true};
             m.frames[1].audio[3] = std::vector<uint8_t>(10);
         },
         "rate"},
    };
    for (const auto& [spoil, text] : cases) {
        MovieSpec plan = SceneMovie(64, 48, 2);
        spoil(plan);
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(EncodeMovie(plan, {}, bytes, error)) << text;
        EXPECT_TRUE(bytes.empty());
        EXPECT_FALSE(error.empty());
        EXPECT_NE(error.find(text), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace tavik::enc
