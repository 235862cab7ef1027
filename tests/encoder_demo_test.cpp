// The built-in demo movie: long enough, animated, with sound that matches its duration.
#include <gtest/gtest.h>

#include "encoder/encoder.h"
#include "encoder_scene.h"
#include "support/decoded_movie.h"

namespace tavik::enc {
namespace {

TEST(EncoderDemo, IsATenSecondMovieWithSkipsPaletteChangesAndSound) {
    const MovieSpec plan = MakeDemoMovie();
    EXPECT_GE(plan.width, 320u);
    EXPECT_GE(plan.height, 200u);
    ASSERT_LT(plan.frameRate, 0);
    const uint64_t ticks = uint64_t{plan.frames.size()} * static_cast<uint32_t>(-plan.frameRate);
    EXPECT_GE(ticks, 1000000u);  // ten seconds in 10-microsecond units

    const std::vector<uint8_t> bytes = EncodeMovie(plan);
    EXPECT_EQ(MakeDemoMovie().frames[77].pixels, plan.frames[77].pixels);
    tavik::test::MovieChunks movie(bytes);
    const tavik::test::DecodedMovie decoded = tavik::test::DecodeMovie(bytes);
    ASSERT_TRUE(movie.ok && decoded.frames.size() >= plan.frames.size());

    uint32_t paletteChunks = 0, skipRuns = 0;
    uint64_t sound = 0;
    for (size_t i = 0; i < plan.frames.size(); ++i) {
        const tavik::test::DecodedFrame& shown = decoded.frames[i];
        ASSERT_EQ(shown.indices, plan.frames[i].pixels) << i;
        EXPECT_TRUE(i == 0 || shown.indices != decoded.frames[i - 1].indices) << i << " moves";
        paletteChunks += movie.frames[i].palette != nullptr;
        skipRuns += test::TypeWords(movie, i)[2];
        EXPECT_EQ(shown.sound[0], *plan.frames[i].audio[0]) << i;
        sound += shown.sound[0].size();
    }
    EXPECT_GE(paletteChunks, 3u);
    EXPECT_GT(skipRuns, plan.frames.size());
    EXPECT_EQ(movie.U32(bytes.data() + 72), 22050u | 1u << 30 | 1u << 31);  // track 0's format
    // One second of lead plus the movie's duration.
    EXPECT_EQ(sound, 22050 + ticks * 22050 / 100000);
    // Not a constant tone: the first second spans a wide range of levels.
    const std::vector<uint8_t>& lead = *plan.frames[0].audio[0];
    const auto [low, high] = std::minmax_element(lead.begin(), lead.end());
    EXPECT_GT(*high - *low, 80);
}

}  // namespace
}  // namespace tavik::enc
