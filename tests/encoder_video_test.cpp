// Whole movies from the encoder, read back with the reference reader: pictures, palettes, runs,
// recent-value leaves, the free value and the container layout.
#include <gtest/gtest.h>

#include "encoder/encoder.h"
#include "encoder_reference_reader.h"

namespace tavik::enc {
namespace {

using test::RefMovie;
using test::RefPicture;

Palette GreyPalette(int shift = 0) {
    Palette p{};
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            p[3 * i + c] = QuantizeComponent(static_cast<uint8_t>(i + shift * c));
    return p;
}

struct Lcg {
    uint32_t state;
    uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// A scene that holds every kind of block: a solid background, a two-colour checker that moves,
// a noisy patch (full blocks) and parts left unchanged (skips after frame 0).
std::vector<uint8_t> Scene(uint32_t w, uint32_t h, uint32_t t) {
    std::vector<uint8_t> p(size_t{w} * h, 7);
    Lcg rng{t * 77 + 1};
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t& px = p[size_t{y} * w + x];
            if (y >= 8 && y < 20 && x >= 4 + t * 4 && x < 28 + t * 4)
                px = ((x + y) & 1) ? 40 : 41;
            else if (y >= 24 && y < 32 && x < 16)
                px = static_cast<uint8_t>(rng.Next());
            else if (x >= w - 8)
                px = static_cast<uint8_t>(100 + ((x + y) % 5));
        }
    }
    return p;
}

MovieSpec SceneMovie(uint32_t w, uint32_t h, uint32_t frames) {
    MovieSpec plan;
    plan.width = w;
    plan.height = h;
    for (uint32_t t = 0; t < frames; ++t) {
        Frame f;
        f.pixels = Scene(w, h, t);
        if (t == 0) f.palette = GreyPalette();
        plan.frames.push_back(f);
    }
    return plan;
}

RefMovie Parse(const MovieSpec& plan, const EncodeOptions& options = {}) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(EncodeMovie(plan, options, bytes, error)) << error;
    RefMovie movie;
    EXPECT_TRUE(movie.Parse(bytes)) << movie.error;
    EXPECT_TRUE(movie.trees.HasFreeValue());
    return movie;
}

// Plays the movie in order and checks every picture and palette against the plan.
void ExpectRoundTrip(const MovieSpec& plan, RefMovie& movie) {
    std::vector<uint32_t> order(plan.frames.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::vector<RefPicture> shown;
    ASSERT_TRUE(test::RefPlay(movie, order, shown));
    Palette palette{};
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        if (plan.frames[i].palette) palette = QuantizePalette(*plan.frames[i].palette);
        EXPECT_EQ(shown[i].pixels, plan.frames[i].pixels) << "frame " << i;
        EXPECT_EQ(shown[i].palette, palette) << "frame " << i;
    }
}

std::array<uint32_t, 4> TypeWordCounts(RefMovie& movie, size_t frame) {
    std::array<uint32_t, 4> counts{};
    std::vector<uint8_t> picture(size_t{movie.width} * movie.height);
    const test::RefFrame& f = movie.frames[frame];
    test::RefDecodeVideo(f.video, f.videoSize, movie.trees, movie.width, movie.height, picture,
                         &counts);
    return counts;
}

TEST(EncoderVideo, EveryBlockTypeRoundTrips) {
    const MovieSpec plan = SceneMovie(64, 48, 5);
    RefMovie movie = Parse(plan);
    ExpectRoundTrip(plan, movie);
    EXPECT_EQ(TypeWordCounts(movie, 0)[2], 0u) << "frame 0 has no skip blocks";
    std::array<uint32_t, 4> all{};
    for (size_t i = 0; i < movie.frames.size(); ++i)
        for (int t = 0; t < 4; ++t) all[t] += TypeWordCounts(movie, i)[t];
    for (int t = 0; t < 4; ++t) EXPECT_GT(all[t], 0u) << "block type " << t;
    for (const auto& tree : movie.trees.trees) EXPECT_LE(tree.maxDepth, 24);
}

TEST(EncoderVideo, DisabledBlockTypesFallBackToFullBlocks) {
    const MovieSpec plan = SceneMovie(64, 48, 3);
    EncodeOptions options;
    options.allowSkip = options.allowSolid = options.allowTwoColour = false;
    RefMovie movie = Parse(plan, options);
    ExpectRoundTrip(plan, movie);
    for (size_t i = 0; i < movie.frames.size(); ++i) {
        const auto counts = TypeWordCounts(movie, i);
        EXPECT_EQ(counts[0] + counts[2] + counts[3], 0u);
    }
    EXPECT_FALSE(movie.trees.trees[0].present);  // no masks
    EXPECT_FALSE(movie.trees.trees[1].present);  // no colour pairs
    EXPECT_EQ(movie.treeSizes[0], 12u);
}

// Widths whose block rows do not hold whole groups of 16 blocks, long runs that cross rows,
// and a frame that changes nothing.
TEST(EncoderVideo, LongRunsAcrossBlockRowsAndSkipOnlyFrames) {
    for (uint32_t width : {96u, 100u, 4u}) {
        MovieSpec plan;
        plan.width = width;
        plan.height = 64;
        std::vector<uint8_t> base(size_t{width} * 64, 3);
        plan.frames.push_back({base, GreyPalette(), {}, {}});
        std::vector<uint8_t> changed = base;
        for (size_t i = 0; i < 4; ++i) changed[size_t{width} * 60 + i] = 9;  // the last block row
        for (size_t i = 0; i < width; ++i) changed[size_t{width} * 21 + i] = 5;
        plan.frames.push_back({changed, std::nullopt, {}, {}});
        plan.frames.push_back({changed, std::nullopt, {}, {}});  // skip blocks only
        RefMovie movie = Parse(plan);
        ExpectRoundTrip(plan, movie);
        EXPECT_EQ(TypeWordCounts(movie, 0), (std::array<uint32_t, 4>{0, 0, 0, 1})) << width;
        EXPECT_EQ(TypeWordCounts(movie, 2), (std::array<uint32_t, 4>{0, 0, 1, 0})) << width;
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
        plan.frames.push_back({p, t == 0 ? std::optional(GreyPalette()) : std::nullopt, {}, {}});
    }
    RefMovie with = Parse(plan);
    ExpectRoundTrip(plan, with);
    bool anyRecentLeaf = false;
    for (const auto& tree : with.trees.trees)
        for (bool leaf : tree.slotIsLeaf) anyRecentLeaf |= leaf;
    EXPECT_TRUE(anyRecentLeaf);
    EncodeOptions plain;
    plain.useMarkers = false;
    RefMovie without = Parse(plan, plain);
    ExpectRoundTrip(plan, without);
    for (const auto& tree : without.trees.trees)
        for (bool leaf : tree.slotIsLeaf) EXPECT_FALSE(leaf);
    EXPECT_LT(with.bytes.size(), without.bytes.size());
}

TEST(EncoderVideo, SameInputGivesSameBytes) {
    const MovieSpec plan = SceneMovie(64, 48, 4);
    EXPECT_EQ(EncodeMovie(plan), EncodeMovie(plan));
}

TEST(EncoderVideo, PaletteChunksOnlyWhereThePaletteChanges) {
    MovieSpec plan = SceneMovie(64, 48, 6);
    Palette rotated = GreyPalette();
    std::rotate(rotated.begin(), rotated.begin() + 30, rotated.end());
    Palette odd{};
    for (size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<uint8_t>(i * 7);  // not exact
    plan.frames[1].palette = GreyPalette();  // the same again: no chunk
    plan.frames[2].palette = rotated;
    plan.frames[4].palette = odd;
    plan.frames[5].palette = QuantizePalette(odd);  // equal once stored: no chunk
    RefMovie movie = Parse(plan);
    ExpectRoundTrip(plan, movie);
    const std::vector<bool> expected{true, false, true, false, true, false};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ((movie.frames[i].type & 1) != 0, expected[i]) << i;
    }
    // A rotation is four copy runs of 64 entries: 9 bytes, padded to 12.
    EXPECT_EQ(movie.frames[2].palette[0], 3);
}

// Full blocks that hold every value but one, plus a two-colour block whose mask is that value:
// the encoder turns the block over so that a free value remains.
TEST(EncoderVideo, FreesATreeValueWhenAllAreUsed) {
    const uint32_t w = 512, h = 260, blocksPerRow = w / 4;
    const uint16_t kept = 0x0102;
    MovieSpec plan;
    plan.width = w;
    plan.height = h;
    std::vector<uint8_t> p(size_t{w} * h, 0);
    auto setPair = [&](uint32_t block, uint32_t slot, uint16_t v) {
        const uint32_t row = slot / 2, right = slot % 2 == 0;
        uint8_t* px = &p[size_t{block / blocksPerRow * 4 + row} * w + block % blocksPerRow * 4];
        px[right ? 2 : 0] = static_cast<uint8_t>(v);
        px[right ? 3 : 1] = static_cast<uint8_t>(v >> 8);
    };
    for (uint32_t v = 0; v < 65536; ++v) setPair(v / 8, v % 8, v == kept ? kept + 1 : v);
    const uint32_t twoColour = 8192;
    for (uint32_t slot = 0; slot < 8; ++slot) setPair(twoColour, slot, 0x0101);
    uint8_t* px = &p[size_t{twoColour / blocksPerRow * 4} * w + twoColour % blocksPerRow * 4];
    px[1] = 3;      // mask bit 1
    px[w * 2] = 3;  // mask bit 8
    plan.frames.push_back({p, GreyPalette(), {}, {}});
    RefMovie movie = Parse(plan);
    ExpectRoundTrip(plan, movie);

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
    plan.ringFrame = true;
    plan.interlaced = true;
    plan.tracks[2] = AudioTrackFormat{11025, true, false, true};
    plan.frames[1].audio[2] = std::vector<uint8_t>(100, 0x80);
    const std::vector<uint8_t> bytes = EncodeMovie(plan);
    RefMovie movie;
    ASSERT_TRUE(movie.Parse(bytes)) << movie.error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "TVK2");
    EXPECT_EQ(movie.width, 64u);
    EXPECT_EQ(movie.height, 48u);
    EXPECT_EQ(movie.frameCount, 3u);
    EXPECT_EQ(movie.frames.size(), 4u);
    EXPECT_EQ(movie.frameRate, -6666);
    EXPECT_EQ(movie.flags, 3u);
    EXPECT_EQ(test::RefU32(bytes.data() + 100), 0u);
    EXPECT_EQ(movie.audioFormat[2], 11025u | 1u << 28 | 1u << 30 | 1u << 31);
    EXPECT_EQ(movie.audioFormat[0], 0u);
    EXPECT_EQ(movie.audioMaxSize[2], 100u);
    EXPECT_EQ(movie.frameDataOffset % 4, 0u);
    for (int t = 0; t < 4; ++t) {
        const auto& tree = movie.trees.trees[t];
        const uint32_t nodes = static_cast<uint32_t>(tree.nodes.size());
        EXPECT_EQ(movie.treeSizes[t], 4 * nodes + 12) << t;
    }
    EXPECT_LE((movie.trees.bitsUsed + 7) / 8, movie.treeBlockSize);
    const std::vector<uint8_t> types{1, 8, 0, 0};  // track 2 is bit 3
    for (size_t i = 0; i < movie.frames.size(); ++i) {
        EXPECT_EQ(movie.frames[i].size % 4, 0u);
        EXPECT_EQ(movie.frames[i].type, types[i]) << i;
    }
    plan.interlaced = false;
    plan.doubled = true;
    plan.ringFrame = false;
    ASSERT_TRUE(movie.Parse(EncodeMovie(plan)));
    EXPECT_EQ(movie.flags, 4u);
}

TEST(EncoderMovie, RefusesWhatItCannotEncode) {
    auto failure = [](const MovieSpec& plan) {
        std::vector<uint8_t> bytes;
        std::string error;
        EXPECT_FALSE(EncodeMovie(plan, {}, bytes, error));
        EXPECT_TRUE(bytes.empty());
        return error;
    };
    MovieSpec plan = SceneMovie(64, 48, 2);
    MovieSpec bad = plan;
    bad.width = 62;
    EXPECT_NE(failure(bad).find("multiples of 4"), std::string::npos);
    bad = plan;
    bad.frames.clear();
    EXPECT_FALSE(failure(bad).empty());
    bad = plan;
    bad.frames[0].palette.reset();
    EXPECT_NE(failure(bad).find("palette"), std::string::npos);
    bad = plan;
    bad.frames[1].pixels.pop_back();
    EXPECT_NE(failure(bad).find("frame 1"), std::string::npos);
    bad = plan;
    bad.frames[1].audio[3] = std::vector<uint8_t>(10);
    EXPECT_NE(failure(bad).find("track 3"), std::string::npos);
    bad.tracks[3] = AudioTrackFormat{22050, false, true, true};
    bad.frames[1].audio[3] = std::vector<uint8_t>(11);
    EXPECT_NE(failure(bad).find("sample frames"), std::string::npos);
    bad.tracks[3]->rate = 0;
    EXPECT_NE(failure(bad).find("rate"), std::string::npos);
}

}  // namespace
}  // namespace tavik::enc
