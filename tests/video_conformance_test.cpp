// The video side of the conformance movies: trees, palette chunks and video chunks decoded
// directly (no movie core), compared pixel by pixel with the expected pictures.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/movie_chunks.h"
#include "support/test_picture.h"
#include "video/palette_decoder.h"
#include "video/trees.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Ppm {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

Ppm ReadPpm(const std::string& path) {
    const std::vector<uint8_t> data = ReadWhole(path);
    std::string text(data.begin(), data.end());
    std::istringstream header(text);
    std::string magic;
    uint32_t maxval = 0;
    Ppm ppm;
    header >> magic >> ppm.width >> ppm.height >> maxval;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    ppm.rgb.assign(data.begin() + static_cast<ptrdiff_t>(start), data.end());
    return ppm;
}

struct Case {
    const char* movie;
    const char* expect;
    std::vector<uint32_t> order;
};

class VideoConformance : public testing::TestWithParam<Case> {};

// Both full-block decoders (code by code, and by runs of recent-value codes) must decode every
// movie, whichever of them the movie's trees would choose.
void DecodeAndCompare(const Case& c, test::MovieChunks& m, uint32_t useRuns) {
    m.runs->worthwhile = useRuns;
    const bool interlaced = (m.flags & 6) == 2;
    const bool doubled = (m.flags & 6) == 4;
    test::TestPicture picture({.width = m.width,
                               .codedHeight = m.height,
                               .doubled = doubled,
                               .interlaced = interlaced,
                               .fill = 0});
    uint8_t palette[768] = {};
    for (size_t n = 0; n < c.order.size(); ++n) {
        const uint32_t frame = c.order[n];
        if (frame == 0) std::memset(palette, 0, sizeof palette);
        const test::MovieChunks::FrameChunks& f = m.frames.at(frame);
        if (f.palette) DecodePaletteChunk(f.palette, f.paletteAvailable, palette);
        DecodeVideoFrame(f.video, f.videoSize, m.trees.data(), m.runs.get(), picture.Dest());

        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05zu.ppm", n);
        const Ppm expected = ReadPpm(std::string(TAVIK_CONFORMANCE_DIR) + "/" + c.expect + name);
        ASSERT_EQ(expected.width, m.width);
        ASSERT_EQ(expected.height, picture.DisplayLines());
        uint32_t wrong = 0;
        for (uint32_t y = 0; y < expected.height; ++y) {
            for (uint32_t x = 0; x < expected.width; ++x) {
                const uint8_t* rgb = palette + 3 * picture.At(x, y);
                if (std::memcmp(rgb, &expected.rgb[3 * (size_t{y} * expected.width + x)], 3) != 0) {
                    ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << c.expect << " frame " << n << " runs " << useRuns;
    }
    EXPECT_TRUE(picture.GuardsIntact());
}

TEST_P(VideoConformance, DecodesEveryFrameAsExpected) {
    const Case& c = GetParam();
    test::MovieChunks m(ReadWhole(std::string(TAVIK_CONFORMANCE_DIR) + "/" + c.movie + ".tvk"));
    ASSERT_TRUE(m.ok);
    DecodeAndCompare(c, m, 0);
    DecodeAndCompare(c, m, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Movies, VideoConformance,
    testing::Values(
        Case{"blocks_64x48", "blocks_64x48.expect", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        Case{"runs_320x200", "runs_320x200.expect", {0, 1, 2, 3, 4, 5, 6, 7}},
        Case{"ring_100x64", "ring_100x64.expect_wrap", {0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2}},
        Case{"interlaced_160x60", "interlaced_160x60.expect", {0, 1, 2, 3, 4, 5, 6, 7}},
        Case{"tracks7_160x120", "tracks7_160x120.expect", {0, 1, 2, 3, 4, 5, 6, 7}},
        Case{"palette_160x120", "palette_160x120.expect_wrap", {0, 1, 2, 3, 4, 5, 6, 7, 0, 1}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.movie); });

}  // namespace
}  // namespace tavik
